// Dialogs: the modal message boxes, behind a seam so tests can script the answers. Captions and
// texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// The caption of the error box, and the application's name.
inline constexpr std::string_view ApplicationTitle = "ATI Kavendel";

// The error box's text: "." is appended when the message's last character sorts after ".".
std::string errorBoxText(std::string_view message);

class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error };
    virtual ~Dialogs() = default;
    // A box with one OK button.
    virtual void message(std::string_view caption, std::string_view text, Icon icon) = 0;
    // A box with OK and Cancel and no icon; true for OK.
    virtual bool confirm(std::string_view caption, std::string_view text) = 0;
    // The error box for a failure: its text, and under it the reason, when there is one.
    virtual void failure(std::string_view caption, std::string_view text, std::string_view reason) = 0;
};

} // namespace kv
