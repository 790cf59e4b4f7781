#include "Message.h"

namespace kv {

std::string Message::text() const {
    std::string shown = lead;
    shown += fillArguments(source, args);
    return shown;
}

std::string fillArguments(std::string_view text, const std::vector<std::string>& args) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool placeholder =
            text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const auto index = placeholder ? static_cast<std::size_t>(text[i + 1] - '1') : args.size();
        if (index < args.size()) {
            filled += args[index];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

} // namespace kv
