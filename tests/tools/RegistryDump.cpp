// Prints the key tree a registry file reads as, one key or value a line with every name and
// datum in hex, for scripts that compare this reader with another:
//
//   K <path>
//   V <path> <name> <type> <data>
//
// A file that is not REGEDIT4 text prints "REJECTED <reason>" and exits with status 3.
#include "RegistryDocument.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string hex(std::string_view bytes) {
    std::string out;
    char buffer[3];
    for (const char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(c));
        out += buffer;
    }
    return out.empty() ? "-" : out;
}

// Pre-order, with an explicit stack: a tree may be as deep as a file makes it.
void dump(const kv::RegKey& top) {
    std::vector<std::pair<const kv::RegKey*, std::string>> stack{{&top, ""}};
    while (!stack.empty()) {
        const auto [key, path] = stack.back();
        stack.pop_back();
        if (key != &top) {
            std::printf("K %s\n", hex(path).c_str());
            for (const auto* value : key->values())
                std::printf("V %s %s %u %s\n", hex(path).c_str(), hex(value->name).c_str(), value->type,
                            hex(value->data).c_str());
        }
        const auto children = key->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, path.empty() ? (*it)->name() : path + "\\" + (*it)->name());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.reg\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", argv[1]);
        return 2;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        const auto doc = kv::RegistryDocument::fromBytes(std::move(bytes), argv[1]);
        dump(doc.tree());
    } catch (const kv::Failure& e) {
        std::printf("REJECTED %s\n", kv::fillArguments(e.message().source, e.message().args).c_str());
        return 3;
    }
    return 0;
}
