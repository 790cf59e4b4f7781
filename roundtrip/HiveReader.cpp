#include "HiveReader.h"

#include "Cp932.h"
#include "FileBytes.h"
#include "KeyTree.h"
#include "LittleEndian.h"
#include "RegistryDocument.h"

#include <libcreg.h>

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";

// A file that cannot be read as a registry file: its name and what is wrong with it, then
// libcreg's own words when it gave some.
[[noreturn]] void notReadable(const std::filesystem::path& file, const std::string& what,
                              const std::string& cregWords = {}) {
    const Message headline = Message::verbatim(file.string() + ": " + what);
    if (cregWords.empty())
        throw Failure(headline, {}, Fault::badUsage);
    throw Failure(Message::verbatim(cregWords), {}, Fault::badUsage).within(headline);
}

// libcreg reports through an error object; this turns one into a Failure naming the file.
class CregCall {
public:
    explicit CregCall(const std::filesystem::path& file)
        : m_file(file) {}
    CregCall(const CregCall&) = delete;
    CregCall& operator=(const CregCall&) = delete;
    ~CregCall() { libcreg_error_free(&m_error); }

    libcreg_error_t** error() { return &m_error; }

    // Throws unless result is 1, libcreg's success.
    void check(int result, std::string_view what) {
        if (result == 1)
            return;
        std::string words;
        if (m_error) {
            char text[512] = {};
            libcreg_error_sprint(m_error, text, sizeof text);
            words = text;
            libcreg_error_free(&m_error);
        }
        notReadable(m_file, std::string(what), words);
    }

    [[noreturn]] void fail(const std::string& what) const { notReadable(m_file, what); }

private:
    std::filesystem::path m_file;
    libcreg_error_t* m_error = nullptr;
};

struct KeyDeleter {
    void operator()(libcreg_key_t* key) const { libcreg_key_free(&key, nullptr); }
};
struct ValueDeleter {
    void operator()(libcreg_value_t* value) const { libcreg_value_free(&value, nullptr); }
};
using KeyHandle = std::unique_ptr<libcreg_key_t, KeyDeleter>;
using ValueHandle = std::unique_ptr<libcreg_value_t, ValueDeleter>;

// A name as stored: codepage bytes, without the terminating NUL libcreg counts in.
template <typename SizeFunction, typename NameFunction, typename Handle>
std::string nameOf(CregCall& call, Handle* handle, SizeFunction sizeOf, NameFunction get) {
    std::size_t size = 0;
    call.check(sizeOf(handle, &size, call.error()), "cannot read a name");
    std::string name(size, '\0');
    if (size > 0)
        call.check(get(handle, reinterpret_cast<std::uint8_t*>(name.data()), size, call.error()),
                   "cannot read a name");
    while (!name.empty() && name.back() == '\0')
        name.pop_back();
    return name;
}

RegValue readValue(CregCall& call, libcreg_value_t* value) {
    RegValue out;
    out.name = nameOf(call, value, libcreg_value_get_name_size, libcreg_value_get_name);
    call.check(libcreg_value_get_value_type(value, &out.type, call.error()), "cannot read a value's kind");
    std::size_t size = 0;
    call.check(libcreg_value_get_value_data_size(value, &size, call.error()), "cannot read a value");
    out.data.resize(size);
    if (size > 0)
        call.check(libcreg_value_get_value_data(value, reinterpret_cast<std::uint8_t*>(out.data.data()), size,
                                                call.error()),
                   "cannot read a value");
    // Strings are sometimes stored without their terminating NUL; regedit shows them all alike.
    if (out.type == RegString && (out.data.empty() || out.data.back() != '\0'))
        out.data.push_back('\0');
    return out;
}

using FileHandle = std::unique_ptr<libcreg_file_t, void (*)(libcreg_file_t*)>;

void closeFile(libcreg_file_t* file) {
    libcreg_file_close(file, nullptr);
    libcreg_file_free(&file, nullptr);
}

constexpr std::string_view Damaged = "truncated or damaged registry file";

// The key record (RGKN) follows the 32-byte file header. Its own header gives the record's size,
// itself included, and where in the file its 28-byte entries begin; an entry is found by its
// offset from there, the root's at 32. Each names the key's first key and the next key beside
// it, a negative offset naming none.
constexpr std::size_t NavigationAt = 32, NavigationHeader = 32, RootEntry = 32, EntrySize = 28,
                      FirstKeyField = 16, NextKeyField = 20;

// libcreg follows these links without end when they loop, filling the memory before it fails,
// and the export would repeat itself under a key shared by two; so the tree is walked here
// first, as libcreg walks it. A record too short to be one is left to libcreg to refuse.
void checkKeyTree(const std::filesystem::path& file, CregCall& call) {
    const auto bytes = readIfPresent(file);
    if (!bytes || bytes->size() < NavigationAt + NavigationHeader)
        return;
    const std::string_view all(*bytes);
    const std::uint64_t size = le::get32(all, NavigationAt + 4), base = le::get32(all, NavigationAt + 8);
    if (size < NavigationHeader)
        return;
    const auto fail = [&](const std::string& why) { call.fail(std::string(Damaged) + ": " + why); };
    const auto link = [&](std::int64_t entry, std::size_t field) -> std::int64_t {
        const auto end = static_cast<std::uint64_t>(entry) + EntrySize;
        if (end > size - NavigationHeader || base + end > all.size())
            fail("a key lies outside the key record");
        return static_cast<std::int32_t>(le::get32(all, base + entry + field));
    };
    std::unordered_set<std::int64_t> seen{RootEntry};
    std::vector<std::pair<std::int64_t, std::size_t>> pending{
        {link(RootEntry, FirstKeyField), 1}}; // entry, depth
    while (!pending.empty()) {
        const auto [entry, depth] = pending.back();
        pending.pop_back();
        if (entry < 0)
            continue;
        if (!seen.insert(entry).second)
            fail("its keys loop: a key is reached a second time");
        if (depth > MaxHiveDepth)
            fail("its keys run deeper than " + std::to_string(MaxHiveDepth) + " levels");
        pending.emplace_back(link(entry, NextKeyField), depth);
        pending.emplace_back(link(entry, FirstKeyField), depth + 1);
    }
}

// What regedit's lines can carry as a name: no control character (a line end would end the
// line) and no lead byte without its second one (it would take the closing "]" or quote).
bool isNameText(std::string_view name) {
    return !cp932::endsInLoneLeadByte(name) && std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20;
    });
}

// A key's name must also not be empty, nor hold a "\\" of its own: it would name a key below.
bool isKeyName(std::string_view name) {
    return !name.empty() && cp932::findChar(name, '\\') == std::string_view::npos && isNameText(name);
}

// Each byte of a hive becomes at most a few in the export ("hex:" data takes a little over
// three); far more than that can only come from a damaged file naming the same long names or
// data again and again, so the export stops there rather than fill the memory.
constexpr std::size_t ExportBytesPerHiveByte = 8;
constexpr std::size_t ExportAllowance = 1 << 20;

// One hive file opened through libcreg and exported as regedit's text, key by key.
class HiveTextExporter {
public:
    explicit HiveTextExporter(const std::filesystem::path& file)
        : m_call(file)
        , m_handle(nullptr, closeFile) {
        const int signature = libcreg_check_file_signature(file.c_str(), m_call.error());
        if (signature == -1)
            m_call.check(signature, "cannot be read");
        if (signature == 0)
            notReadable(file, "not a Windows 98 registry file");
        checkKeyTree(file, m_call);
        libcreg_file_t* handle = nullptr;
        m_call.check(libcreg_file_initialize(&handle, m_call.error()), "cannot be read");
        m_handle.reset(handle);
        m_call.check(libcreg_file_open(handle, file.c_str(), libcreg_get_access_flags_read(), m_call.error()),
                     Damaged);
        libcreg_key_t* root = nullptr;
        m_call.check(libcreg_file_get_root_key(handle, &root, m_call.error()), Damaged);
        m_root.reset(root);
        m_budget = ExportAllowance + ExportBytesPerHiveByte * std::filesystem::file_size(file);
    }

    // Whether the root holds ".DEFAULT", as only a user file's does.
    bool holdsUsers() {
        int count = 0;
        m_call.check(libcreg_key_get_number_of_sub_keys(m_root.get(), &count, m_call.error()), Damaged);
        for (int i = 0; i < count; ++i)
            if (caseless(nameOf(m_call, subKey(m_root.get(), i).get(), libcreg_key_get_name_size,
                                libcreg_key_get_name)) == ".DEFAULT")
                return true;
        return false;
    }

    HiveExport exported() {
        HiveExport read{holdsUsers(), {}};
        exportKey(m_root.get(), read.holdsUsers ? "HKEY_USERS" : "HKEY_LOCAL_MACHINE", read.text);
        return read;
    }

private:
    static std::string caseless(std::string name) {
        for (char& c : name)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return name;
    }

    KeyHandle subKey(libcreg_key_t* key, int index) {
        libcreg_key_t* raw = nullptr;
        m_call.check(libcreg_key_get_sub_key_by_index(key, index, &raw, m_call.error()), "cannot read a key");
        return KeyHandle(raw);
    }

    void damaged(const std::string& why) { m_call.fail(std::string(Damaged) + ": " + why); }
    void checkSize(const std::string& out) {
        if (out.size() > m_budget)
            damaged("it names the same names or data again and again");
    }

    void exportValues(libcreg_key_t* key, std::string& out) {
        int count = 0;
        m_call.check(libcreg_key_get_number_of_values(key, &count, m_call.error()), "cannot read a key");
        for (int i = 0; i < count; ++i) {
            libcreg_value_t* raw = nullptr;
            m_call.check(libcreg_key_get_value_by_index(key, i, &raw, m_call.error()), "cannot read a value");
            const ValueHandle value(raw);
            const RegValue read = readValue(m_call, value.get());
            if (!isNameText(read.name))
                damaged("a value has a name no value can have");
            out += RegistryDocument::formatValue(read, Crlf);
            checkSize(out);
        }
    }

    void exportKey(libcreg_key_t* key, const std::string& path, std::string& out) {
        out += '[';
        out += path;
        out += ']';
        out += Crlf;
        checkSize(out);
        exportValues(key, out);
        out += Crlf;
        int count = 0;
        m_call.check(libcreg_key_get_number_of_sub_keys(key, &count, m_call.error()), "cannot read a key");
        for (int i = 0; i < count; ++i) {
            const KeyHandle child = subKey(key, i);
            const std::string name =
                nameOf(m_call, child.get(), libcreg_key_get_name_size, libcreg_key_get_name);
            if (!isKeyName(name))
                damaged("a key has a name no key can have");
            exportKey(child.get(), path + '\\' + name, out);
        }
    }

    CregCall m_call;
    FileHandle m_handle;
    KeyHandle m_root;
    std::size_t m_budget = 0;
};

} // namespace

HiveExport readHive(const std::filesystem::path& file) {
    HiveTextExporter hive(file);
    return hive.exported();
}

std::string exportHives(const std::filesystem::path& first, const std::filesystem::path& second) {
    // Both files are opened and their key trees checked before either is read whole, so that
    // damage or a second file of the same kind is found at once.
    HiveTextExporter one(first), other(second);
    const bool firstHoldsUsers = one.holdsUsers();
    if (firstHoldsUsers == other.holdsUsers())
        throw Failure(
            Message::verbatim(first.string() + " and " + second.string() + " are both " +
                              (firstHoldsUsers ? "user files (USER.DAT)" : "system files (SYSTEM.DAT)") +
                              ": give one SYSTEM.DAT and one USER.DAT"),
            {}, Fault::badUsage);
    const HiveExport a = one.exported(), b = other.exported();
    return "REGEDIT4\r\n\r\n" + (firstHoldsUsers ? b.text + a.text : a.text + b.text);
}

} // namespace kv
