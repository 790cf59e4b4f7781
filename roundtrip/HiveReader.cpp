#include "HiveReader.h"

#include "Cp932.h"
#include "FileBytes.h"
#include "KeyTree.h"
#include "LittleEndian.h"
#include "RegistryDocument.h"
#include "RoundTripText.h"

#include <libcreg.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";

const char* const Damaged =
    QT_TRANSLATE_NOOP("RoundTrip", "%1: レジストリファイルが途中で切れているか、壊れています");
const char* const NotARegistryFile =
    QT_TRANSLATE_NOOP("RoundTrip", "%1 は Windows 95/98/Me のレジストリファイルではありません");
const char* const CannotBeRead = QT_TRANSLATE_NOOP("RoundTrip", "%1 を読み込めません");
const char* const CannotReadAKey = QT_TRANSLATE_NOOP("RoundTrip", "%1: キーを読み込めません");
const char* const CannotReadAValue = QT_TRANSLATE_NOOP("RoundTrip", "%1: 値を読み込めません");
const char* const CannotReadAName = QT_TRANSLATE_NOOP("RoundTrip", "%1: 名前を読み込めません");

// A file that cannot be read as a registry file: a headline naming it (what has "%1" for its
// name), then why, when that is known: libcreg's own words or what the check found.
[[noreturn]] void notReadable(const std::filesystem::path& file, const char* what,
                              std::optional<Message> why = std::nullopt) {
    const Message headline = roundTripText(what, {file.string()});
    if (!why)
        throw Failure(headline, {}, Fault::badUsage);
    throw Failure(*why, {}, Fault::badUsage).within(headline);
}

// Whether file is a regular file that can be opened for reading.
bool isReadableFile(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) && std::ifstream(file, std::ios::binary).is_open();
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
    void check(int result, const char* what) {
        if (result == 1)
            return;
        std::optional<Message> words;
        if (m_error) {
            char text[512] = {};
            libcreg_error_sprint(m_error, text, sizeof text);
            words = Message::verbatim(text);
            libcreg_error_free(&m_error);
        }
        notReadable(m_file, what, words);
    }

    // The file is damaged: why is a marked text, args its arguments.
    [[noreturn]] void damaged(const char* why, std::vector<std::string> args = {}) const {
        notReadable(m_file, Damaged, roundTripText(why, std::move(args)));
    }

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
    call.check(sizeOf(handle, &size, call.error()), CannotReadAName);
    std::string name(size, '\0');
    if (size > 0)
        call.check(get(handle, reinterpret_cast<std::uint8_t*>(name.data()), size, call.error()),
                   CannotReadAName);
    while (!name.empty() && name.back() == '\0')
        name.pop_back();
    return name;
}

RegValue readValue(CregCall& call, libcreg_value_t* value) {
    RegValue out;
    out.name = nameOf(call, value, libcreg_value_get_name_size, libcreg_value_get_name);
    call.check(libcreg_value_get_value_type(value, &out.type, call.error()), CannotReadAValue);
    std::size_t size = 0;
    call.check(libcreg_value_get_value_data_size(value, &size, call.error()), CannotReadAValue);
    out.data.resize(size);
    if (size > 0)
        call.check(libcreg_value_get_value_data(value, reinterpret_cast<std::uint8_t*>(out.data.data()), size,
                                                call.error()),
                   CannotReadAValue);
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
    const auto link = [&](std::int64_t entry, std::size_t field) -> std::int64_t {
        const auto end = static_cast<std::uint64_t>(entry) + EntrySize;
        if (end > size - NavigationHeader || base + end > all.size())
            call.damaged(QT_TRANSLATE_NOOP("RoundTrip", "キーがキー領域の外にあります"));
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
            call.damaged(
                QT_TRANSLATE_NOOP("RoundTrip", "キーが循環しています: 同じキーに 2 度たどり着きます"));
        if (depth > MaxHiveDepth)
            call.damaged(QT_TRANSLATE_NOOP("RoundTrip", "キーの階層が %1 段より深くなっています"),
                         {std::to_string(MaxHiveDepth)});
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
        // libcreg cannot check the signature of a file shorter than it: that file is no hive.
        if (signature == 0 || (signature == -1 && isReadableFile(file)))
            notReadable(file, NotARegistryFile);
        m_call.check(signature, CannotBeRead);
        checkKeyTree(file, m_call);
        libcreg_file_t* handle = nullptr;
        m_call.check(libcreg_file_initialize(&handle, m_call.error()), CannotBeRead);
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
        m_call.check(libcreg_key_get_sub_key_by_index(key, index, &raw, m_call.error()), CannotReadAKey);
        return KeyHandle(raw);
    }

    void damaged(const char* why) { m_call.damaged(why); }
    void checkSize(const std::string& out) {
        if (out.size() > m_budget)
            damaged(QT_TRANSLATE_NOOP("RoundTrip", "同じ名前やデータが何度も繰り返し現れます"));
    }

    void exportValues(libcreg_key_t* key, std::string& out) {
        int count = 0;
        m_call.check(libcreg_key_get_number_of_values(key, &count, m_call.error()), CannotReadAKey);
        for (int i = 0; i < count; ++i) {
            libcreg_value_t* raw = nullptr;
            m_call.check(libcreg_key_get_value_by_index(key, i, &raw, m_call.error()), CannotReadAValue);
            const ValueHandle value(raw);
            const RegValue read = readValue(m_call, value.get());
            if (!isNameText(read.name))
                damaged(QT_TRANSLATE_NOOP("RoundTrip", "値の名前として使えない名前の値があります"));
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
        m_call.check(libcreg_key_get_number_of_sub_keys(key, &count, m_call.error()), CannotReadAKey);
        for (int i = 0; i < count; ++i) {
            const KeyHandle child = subKey(key, i);
            const std::string name =
                nameOf(m_call, child.get(), libcreg_key_get_name_size, libcreg_key_get_name);
            if (!isKeyName(name))
                damaged(QT_TRANSLATE_NOOP("RoundTrip", "キーの名前として使えない名前のキーがあります"));
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
            roundTripText(firstHoldsUsers
                              ? QT_TRANSLATE_NOOP("RoundTrip", "%1 と %2 はどちらもユーザーのファイル "
                                                               "(USER.DAT) です: SYSTEM.DAT と USER.DAT "
                                                               "を 1 つずつ指定してください")
                              : QT_TRANSLATE_NOOP("RoundTrip", "%1 と %2 はどちらもシステムのファイル "
                                                               "(SYSTEM.DAT) です: SYSTEM.DAT と USER.DAT "
                                                               "を 1 つずつ指定してください"),
                          {first.string(), second.string()}),
            {}, Fault::badUsage);
    const HiveExport a = one.exported(), b = other.exported();
    return "REGEDIT4\r\n\r\n" + (firstHoldsUsers ? b.text + a.text : a.text + b.text);
}

} // namespace kv
