// The small dialog before the main window on a new default machine folder: five choices, in
// the interface language like the window, with Qt's file dialogs to pick the folder or file.
#pragma once

#include "FirstRun.h"

#include <QDialog>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace kv {

class Dialogs;
class UserConfig;

// Where the user picks a folder or a file; tests script the answers.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    virtual std::optional<std::filesystem::path> folder(const QString& caption) = 0;
    virtual std::optional<std::filesystem::path> file(const QString& caption, const QString& filter) = 0;
};

class QtFilePicker final : public FilePicker {
public:
    std::optional<std::filesystem::path> folder(const QString& caption) override;
    std::optional<std::filesystem::path> file(const QString& caption, const QString& filter) override;
};

// A virtual machine found on this computer, offered before the other choices.
struct FoundMachine {
    QString label;              // its name, emulator and Windows, as the button shows them
    std::filesystem::path disk; // opened as a disk image is
    QString refusal;            // why it cannot be opened now, such as its emulator running it
};

class FirstRunDialog : public QDialog {
    Q_OBJECT
public:
    // machine is the folder that closing the dialog goes on with; isNew tells whether it is
    // still empty or the choices were asked for again. machines are offered first.
    FirstRunDialog(const std::filesystem::path& machine, bool isNew, std::vector<FoundMachine> machines = {},
                   QWidget* parent = nullptr);
    // The button pressed last, once the dialog was accepted.
    std::optional<FirstRunChoice> choice() const { return m_choice; }
    // The machine of the last button pressed, for FirstRunChoice::OpenMachine.
    const FoundMachine* machine() const { return m_machine; }
    // True once the user chose to end the program rather than open a machine.
    bool quitRequested() const { return m_quit; }

private:
    std::optional<FirstRunChoice> m_choice;
    std::vector<FoundMachine> m_machines;
    const FoundMachine* m_machine = nullptr;
    bool m_quit = false;
};

// Shows the dialog until a choice works out or the user closes it. Returns the machine folder
// to open, remembered in config for the next start, or nullopt to go on with the folder the
// dialog names (or to quit, as the dialog tells). Failures go to dialogs; an import says
// which folder it made.
std::optional<std::filesystem::path> runFirstRun(FirstRunDialog& dialog, FilePicker& picker, Dialogs& dialogs,
                                                 const FirstRunPlaces& places, const UserConfig& config);

} // namespace kv
