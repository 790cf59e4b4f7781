#include "HiveReader.h"

#include "KeyTree.h"
#include "RegistryDocument.h"

#include <libcreg.h>

#include <memory>
#include <vector>

namespace kv {

namespace {

constexpr std::string_view Crlf = "\r\n";

// libcreg reports through an error object; this turns one into a HiveError naming the file.
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
        std::string detail;
        if (m_error) {
            char text[512] = {};
            libcreg_error_sprint(m_error, text, sizeof text);
            detail = std::string(": ") + text;
            libcreg_error_free(&m_error);
        }
        throw HiveError(m_file.string() + ": " + std::string(what) + detail);
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

void exportKey(CregCall& call, libcreg_key_t* key, const std::string& path, std::string& out) {
    out += '[';
    out += path;
    out += ']';
    out += Crlf;
    int count = 0;
    call.check(libcreg_key_get_number_of_values(key, &count, call.error()), "cannot read a key");
    for (int i = 0; i < count; ++i) {
        libcreg_value_t* raw = nullptr;
        call.check(libcreg_key_get_value_by_index(key, i, &raw, call.error()), "cannot read a value");
        const ValueHandle value(raw);
        out += RegistryDocument::formatValue(readValue(call, value.get()), Crlf);
    }
    out += Crlf;
    call.check(libcreg_key_get_number_of_sub_keys(key, &count, call.error()), "cannot read a key");
    for (int i = 0; i < count; ++i) {
        libcreg_key_t* raw = nullptr;
        call.check(libcreg_key_get_sub_key_by_index(key, i, &raw, call.error()), "cannot read a key");
        const KeyHandle child(raw);
        const std::string name = nameOf(call, child.get(), libcreg_key_get_name_size, libcreg_key_get_name);
        exportKey(call, child.get(), path + '\\' + name, out);
    }
}

void exportHive(const std::filesystem::path& file, std::string_view hive, std::string& out) {
    CregCall call(file);
    const int signature = libcreg_check_file_signature(file.c_str(), call.error());
    if (signature == -1)
        call.check(signature, "cannot be read");
    if (signature == 0)
        throw HiveError(file.string() + ": not a Windows 98 registry file");
    libcreg_file_t* handle = nullptr;
    call.check(libcreg_file_initialize(&handle, call.error()), "cannot be read");
    const std::unique_ptr<libcreg_file_t, void (*)(libcreg_file_t*)> owner(handle, [](libcreg_file_t* f) {
        libcreg_file_close(f, nullptr);
        libcreg_file_free(&f, nullptr);
    });
    call.check(libcreg_file_open(handle, file.c_str(), libcreg_get_access_flags_read(), call.error()),
               "truncated or damaged registry file");
    libcreg_key_t* raw = nullptr;
    call.check(libcreg_file_get_root_key(handle, &raw, call.error()), "truncated or damaged registry file");
    const KeyHandle root(raw);
    exportKey(call, root.get(), std::string(hive), out);
}

} // namespace

std::string exportHives(const std::filesystem::path& systemDat, const std::filesystem::path& userDat) {
    std::string out = "REGEDIT4";
    out += Crlf;
    out += Crlf;
    exportHive(systemDat, "HKEY_LOCAL_MACHINE", out);
    exportHive(userDat, "HKEY_USERS", out);
    return out;
}

} // namespace kv
