#include "MessageLog.h"

#include <fstream>
#include <string>

namespace kv {

MessageLog::MessageLog(std::filesystem::path file)
    : m_file(std::move(file)) {
    std::filesystem::create_directories(m_file.parent_path());
    // Made empty at once: a render with no box still says so.
    std::ofstream(m_file, std::ios::binary | std::ios::trunc);
}

void MessageLog::append(std::string_view caption, std::string_view text) {
    std::ofstream log(m_file, std::ios::binary | std::ios::app);
    std::string flat;
    for (const char c : text) {
        if (c == '\n')
            flat += "\\n";
        else
            flat += c;
    }
    log << caption << '\t' << flat << '\n';
}

void MessageLog::message(std::string_view caption, std::string_view text, Icon) {
    append(caption, text);
}

void MessageLog::failure(std::string_view caption, std::string_view text, std::string_view reason) {
    append(caption, reason.empty() ? std::string(text) : std::string(text) + "\n" + std::string(reason));
}

bool MessageLog::confirm(std::string_view caption, std::string_view text) {
    append(caption, text);
    return true;
}

} // namespace kv
