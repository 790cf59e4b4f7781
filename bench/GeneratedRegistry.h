// Registry files for the benchmarks, generated at run time in a temporary folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace kv::bench {

namespace fs = std::filesystem;

// A registry file of about `size` bytes, shaped like an export: sections of strings, numbers
// and continued hex lines, with a comment now and then.
inline fs::path generateRegistry(std::size_t size) {
    const fs::path dir = fs::temp_directory_path() / ("kavendel-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / ("registry-" + std::to_string(size) + ".reg");
    std::string text = "REGEDIT4\r\n";
    char line[128];
    for (int key = 0; text.size() < size; ++key) {
        std::snprintf(line, sizeof line, "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor%d\\Product%05d]\r\n",
                      key % 50, key);
        text += line;
        if (key % 10 == 0)
            text += "; generated\r\n";
        text += "\"DriverDesc\"=\"Display adapter \\\"model\\\" \x95\x5C\x8E\xA6\"\r\n";
        std::snprintf(line, sizeof line, "\"Index\"=dword:%08x\r\n", key);
        text += line;
        text += "\"Table\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\r\n"
                "  18,19,1a,1b,1c,1d,1e,1f\r\n";
        text += "@=\"default\"\r\n";
    }
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

} // namespace kv::bench
