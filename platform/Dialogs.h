// Dialogs: the modal message boxes, behind a seam so tests can script the answers.
#pragma once

#include <QString>

class QWidget;

namespace kv {

class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error };
    virtual ~Dialogs() = default;
    // A box with one OK button.
    virtual void message(const QString& caption, const QString& text, Icon icon) = 0;
    // A box with OK and Cancel and no icon; true for OK.
    virtual bool confirm(const QString& caption, const QString& text) = 0;
};

// The real boxes, modal over the active window.
class QtDialogs final : public Dialogs {
public:
    void message(const QString& caption, const QString& text, Icon icon) override;
    bool confirm(const QString& caption, const QString& text) override;
};

} // namespace kv
