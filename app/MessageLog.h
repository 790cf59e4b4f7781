// Dialogs for the headless render: every box is answered OK and its caption and text are
// appended to a log file, in order.
#pragma once

#include "Dialogs.h"

#include <filesystem>

namespace kv {

class MessageLog final : public Dialogs {
public:
    explicit MessageLog(std::filesystem::path file);
    void message(std::string_view caption, std::string_view text, Icon icon) override;
    bool confirm(std::string_view caption, std::string_view text) override;
    void failure(std::string_view caption, std::string_view text, std::string_view reason) override;

private:
    void append(std::string_view caption, std::string_view text);
    std::filesystem::path m_file;
};

} // namespace kv
