// Dialogs that also write each error box's text to standard error, so that a start-up failure
// is seen from a terminal and in logs, not only in a box.
#pragma once

#include "Dialogs.h"

#include <cstdio>

namespace kv {

class EchoingDialogs final : public Dialogs {
public:
    EchoingDialogs(Dialogs& boxes, std::FILE* stream)
        : m_boxes(boxes)
        , m_stream(stream) {}
    void message(std::string_view caption, std::string_view text, Icon icon) override;
    bool confirm(std::string_view caption, std::string_view text) override;
    void failure(std::string_view caption, std::string_view text, std::string_view reason) override;

private:
    void echo(std::string_view text, std::string_view reason);

    Dialogs& m_boxes;
    std::FILE* m_stream;
};

} // namespace kv
