// The setting controls of the "レジストリ" pages, bound to the catalogue: it builds a sheet's
// boxes and lists from the tables, runs their handlers inside the error guard, and lets the
// presets and the reading pass set them by name.
#pragma once

#include "HandlerNesting.h"
#include "SettingsCatalogue.h"

#include <QString>

#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QSlider;
class QWidget;

namespace kv {

class Dialogs;
class TRadioGroup;
struct ProgramValues;

// A text of the catalogue in the interface language.
QString catalogueText(std::string_view text);

class SettingsControls {
public:
    SettingsControls(const ProgramValues& values, SettingsStore& store, Dialogs& dialogs);

    // Builds the box groups, boxes, list groups and lists that stand on the sheet.
    void buildSheet(Sheet sheet, QWidget* widget);

    // Runs a handler that a control's signal started, inside the error guard; an error of a
    // handler that another handler started ends that one too.
    void guarded(const std::function<void()>& handler);

    // Sets a box as the program does: when its state really changes, its click action runs.
    void setBoxByProgram(std::string_view control, bool checked);
    // Selects an AGP speed item as the program does: when the item changes, AGPSpeedClick runs.
    void setAgpSpeedByProgram(int item);

    void setAntiAliasEnabled(bool enabled);

    QCheckBox* box(std::string_view control) const;
    QComboBox* list(std::string_view control) const;

    SettingsStore& store() { return m_store; }
    const std::string& driverKeyPath() const;

    QSlider* detailBias = nullptr;   // set by the OpenGL page
    TRadioGroup* agpSpeed = nullptr; // set by the engine page
    QGroupBox* antiAliasGroup = nullptr;

private:
    void buildBoxes(Sheet sheet, QWidget* widget);
    void buildLists(Sheet sheet, QWidget* widget);
    void runClickAction(const TwoStateSetting& row, bool checked);

    const ProgramValues& m_values;
    SettingsStore& m_store;
    HandlerNesting m_handlers;
    std::map<std::string_view, QCheckBox*> m_boxes;
    std::map<std::string_view, QComboBox*> m_lists;
};

} // namespace kv
