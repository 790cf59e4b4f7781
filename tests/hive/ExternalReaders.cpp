#include "ExternalReaders.h"

#include "Cp932.h"
#include "FileContents.h"
#include "HiveFormat.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

extern char** environ;

namespace kv::test {

namespace {

struct Run {
    int status = -1;
    std::string out;
};

// Runs the program with an argument vector, never through a shell; standard error is dropped.
Run run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipe[2];
    if (::pipe(pipe) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    Run result;
    char buffer[65536];
    for (ssize_t n; spawned == 0 && (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        result.out.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

std::string hexOf(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += Digits[c >> 4];
        out += Digits[c & 15];
    }
    return out;
}

// Calls visit(key, path) for every key, parents before children, children in their order.
template <typename Visit>
void walk(const hive::Hive& hive, Visit visit, std::string_view separator, bool hex) {
    std::vector<std::pair<hive::Hive::Key, std::string>> stack{{hive.root(), ""}};
    while (!stack.empty()) {
        auto [key, path] = stack.back();
        stack.pop_back();
        visit(key, path);
        const auto children = hive.children(key);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            const std::string name = hex ? hexOf(hive.name(*it)) : cp932::toUtf8(hive.name(*it));
            stack.emplace_back(*it, path.empty() ? name : path + std::string(separator) + name);
        }
    }
}

// cregexport's words for a value's type.
std::string typeName(std::uint32_t type) {
    static const char* const Names[] = {"undefined (REG_NONE)",
                                        "string (REG_SZ)",
                                        "expandable string (REG_EXPAND_SZ)",
                                        "binary data (REG_BINARY)",
                                        "32-bit integer little-endian (REG_DWORD_LITTLE_ENDIAN)",
                                        "32-bit integer big-endian (REG_DWORD_BIG_ENDIAN)",
                                        "symbolic link (REG_LINK)",
                                        "multi-value string (REG_MULTI_SZ)",
                                        "resource list (REG_RESOURCE_LIST)",
                                        "full resource descriptor (REG_FULL_RESOURCE_DESCRIPTOR)",
                                        "resource requirements list (REG_RESOURCE_REQUIREMENTS_LIST)",
                                        "64-bit integer little-endian (REG_QWORD_LITTLE_ENDIAN)"};
    if (type < std::size(Names))
        return Names[type];
    char text[32];
    std::snprintf(text, sizeof text, "unknown: 0x%08x", type);
    return text;
}

// One value as cregexport shows it: the data as a hex dump, or, where it shows a number or a
// string instead, as that text.
struct ShownValue {
    std::string name, type, text, bytes;
    std::size_t size = 0;
    bool dumped = false;
};
struct ShownKey {
    std::string path;
    std::vector<ShownValue> values;
};

void readDumpLine(const std::string& line, ShownValue& value) {
    std::istringstream hex(line.substr(10, 49));
    for (std::string byte; hex >> byte;)
        value.bytes += static_cast<char>(std::stoi(byte, nullptr, 16));
    value.dumped = true;
}

std::vector<ShownKey> parseCregexport(const std::string& out) {
    std::vector<ShownKey> keys;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        ShownValue* value = keys.empty() || keys.back().values.empty() ? nullptr : &keys.back().values.back();
        if (line.rfind("Key path: ", 0) == 0) {
            keys.push_back({line.substr(10), {}});
        } else if (line.rfind("Value: ", 0) == 0 && !keys.empty()) {
            const std::string rest = line.substr(line.find(' ', 7) + 1);
            keys.back().values.push_back({rest == "(default)" ? "" : rest, "", "", "", 0, false});
        } else if (value && line.rfind("Type: ", 0) == 0) {
            value->type = line.substr(6);
        } else if (value && line.rfind("Data size: ", 0) == 0) {
            value->size = std::stoul(line.substr(11));
        } else if (value && line.rfind("Data: ", 0) == 0) {
            value->text = line.substr(6);
        } else if (value && line.size() > 12 && line[8] == ':' && line[9] == ' ') {
            readDumpLine(line, *value);
        }
    }
    return keys;
}

// What cregexport writes where it writes no hex dump.
std::string shownText(const hive::Value& value) {
    const std::string& d = value.data;
    if ((value.type == 4) && d.size() == 4)
        return std::to_string(le::get32(d, 0));
    return cp932::toUtf8(d.substr(0, d.find('\0')));
}

std::string compareValue(const hive::Value& want, const ShownValue& got) {
    if (got.name != cp932::toUtf8(want.name) || got.type != typeName(want.type) ||
        got.size != want.data.size())
        return "value " + got.name + " (" + got.type + ", " + std::to_string(got.size) +
               " bytes) instead of " + cp932::toUtf8(want.name);
    if (got.dumped ? got.bytes != want.data : got.text != shownText(want))
        return "value " + got.name + " holds other data";
    return {};
}

} // namespace

std::string readHiveFile(const std::string& name) {
    return test::fileContents(std::string(KAVENDEL_TEST_DATA) + "/hives/" + name);
}

std::vector<std::string> treeLines(const hive::Hive& hive) {
    std::vector<std::string> out;
    walk(
        hive,
        [&](hive::Hive::Key key, const std::string& path) {
            out.push_back("[" + path + "]");
            for (const hive::Value& v : hive.values(key))
                out.push_back(v.name + "=" + std::to_string(v.type) + ":" + v.data);
        },
        "\\", true);
    return out;
}

bool haveCregexport() {
    return run({"cregexport", "-V"}).status == 0;
}

bool havePerlReader() {
    return run({"perl", "-MParse::Win32Registry", "-e", "1"}).status == 0;
}

std::string cregexportDifference(const std::filesystem::path& file, const hive::Hive& expected) {
    const Run result = run({"cregexport", "-c", "windows-932", file.string()});
    if (result.status != 0)
        return "cregexport cannot read " + file.string();
    const std::vector<ShownKey> shown = parseCregexport(result.out);
    std::size_t index = 0;
    std::string difference;
    walk(
        expected,
        [&](hive::Hive::Key key, const std::string& path) {
            if (!difference.empty())
                return;
            if (index >= shown.size() || shown[index].path != path) {
                difference = "key " + path + " is not where cregexport shows it";
                return;
            }
            const auto values = expected.values(key);
            if (values.size() != shown[index].values.size())
                difference = "key " + path + " has " + std::to_string(shown[index].values.size()) + " values";
            for (std::size_t i = 0; difference.empty() && i < values.size(); ++i)
                if (const std::string d = compareValue(values[i], shown[index].values[i]); !d.empty())
                    difference = "key " + path + ": " + d;
            ++index;
        },
        "\\", false);
    if (difference.empty() && index != shown.size())
        difference = "cregexport shows " + std::to_string(shown.size() - index) + " more keys";
    return difference;
}

std::vector<std::string> perlDifferences(const std::vector<std::filesystem::path>& files,
                                         const std::vector<const hive::Hive*>& expected) {
    std::vector<std::string> arguments{"perl", std::string(KAVENDEL_HIVE_DUMP)};
    for (const auto& file : files)
        arguments.push_back(file.string());
    const Run result = run(arguments);
    std::map<std::string, std::string> shown;
    std::istringstream in(result.out);
    std::string current;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("FILE ", 0) == 0)
            current = line.substr(5);
        else
            shown[current] += line + "\n";
    std::vector<std::string> differences;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string want;
        walk(
            *expected[i],
            [&](hive::Hive::Key key, const std::string& path) {
                want += "K " + path + "\n";
                for (const hive::Value& v : expected[i]->values(key))
                    want += "V " + hexOf(v.name) + " " + std::to_string(v.type) + " " + hexOf(v.data) + "\n";
            },
            "\\", true);
        const std::string& got = shown[files[i].string()];
        if (got != want) {
            std::size_t at = 0;
            while (at < got.size() && at < want.size() && got[at] == want[at])
                ++at;
            differences.push_back(files[i].string() + ": Parse::Win32Registry differs after " +
                                  want.substr(want.rfind("K ", at), 80));
        }
    }
    return differences;
}

} // namespace kv::test
