// Dialogs for the headless render: every box is answered OK and its caption and text are
// appended to a log file, in order.
#pragma once

#include "Dialogs.h"

#include <filesystem>

namespace kv {

class MessageLog final : public Dialogs {
public:
    explicit MessageLog(std::filesystem::path file);
    void message(const QString& caption, const QString& text, Icon icon) override;
    bool confirm(const QString& caption, const QString& text) override;

private:
    void append(const QString& caption, const QString& text);
    std::filesystem::path m_file;
};

} // namespace kv
