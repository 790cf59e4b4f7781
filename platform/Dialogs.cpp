#include "Dialogs.h"

namespace kv {

std::string errorBoxText(std::string_view message) {
    // Compared as the character's first code unit would be: every byte of a multi-byte UTF-8
    // character sorts after ".", as every character beyond ASCII does.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return std::string(message) + '.';
    return std::string(message);
}

} // namespace kv
