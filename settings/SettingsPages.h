// The driver-settings pages of the main window, assembled: the engine, Direct3D, OpenGL and
// registry pages, Button89 and the mode buttons, and the start-up reading pass that shows what
// is stored without storing anything.
#pragma once

#include "DriverSettings.h"
#include "PresetModes.h"
#include "SettingsControls.h"

#include <QObject>

class QWidget;

namespace kv {

class Dialogs;
class Guard;
class OpenGLPage;
struct ProgramValues;

struct SettingsSheets {
    QWidget* registry; // TabSheet2
    QWidget* engine;   // TabSheet4
    QWidget* direct3D; // TabSheet7
    QWidget* openGL;   // TabSheet8
};

class SettingsPages : public QObject, private InitialStateView {
    Q_OBJECT
public:
    SettingsPages(const SettingsSheets& sheets, const ModeButtons& modeButtons, const ProgramValues& values,
                  SettingsStore& store, Dialogs& dialogs, Guard& guard, QObject* parent);

    // FormCreate runs this after discovery: a store error ends it and is the caller's to show.
    void readInitialStates();

private:
    void showChecked(std::string_view control, bool checked) override;
    void showChoice(std::string_view control, int index) override;
    void showAntiAliasEnabled(bool enabled) override;

    const ProgramValues& m_values;
    SettingsControls m_controls;
    OpenGLPage* m_openGL;
};

} // namespace kv
