// The real message boxes, modal over the active window.
#pragma once

#include "Dialogs.h"

namespace kv {

class QtDialogs final : public Dialogs {
public:
    void message(std::string_view caption, std::string_view text, Icon icon) override;
    bool confirm(std::string_view caption, std::string_view text) override;
    void failure(std::string_view caption, std::string_view text, std::string_view reason) override;
};

} // namespace kv
