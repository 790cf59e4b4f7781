// The setting controls of the "レジストリ" pages, bound to the catalogue: it builds a sheet's
// boxes and lists from the tables, runs their handlers inside the guard, and lets the presets
// and the reading pass set them by name.
#pragma once

#include "SettingsCatalogue.h"

#include <QString>

#include <map>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QWidget;

namespace kv {

class Guard;
struct ProgramValues;

// A text of the catalogue in the interface language.
QString catalogueText(std::string_view text);

class SettingsControls {
public:
    SettingsControls(const ProgramValues& values, SettingsStore& store, Guard& guard);

    // Builds the box groups, boxes, list groups and lists that stand on the sheet.
    void buildSheet(Sheet sheet, QWidget* widget);

    // Sets a box as the program does: when its state really changes, its click action runs.
    void setBoxByProgram(std::string_view control, bool checked);

    void setAntiAliasEnabled(bool enabled);

    QCheckBox* box(std::string_view control) const;
    QComboBox* list(std::string_view control) const;
    // A named group of boxes or lists, for the pages to place their own controls in.
    QGroupBox* group(std::string_view name) const;

    SettingsStore& store() { return m_store; }
    const std::string& driverKeyPath() const;
    Guard& guard() { return m_guard; }

private:
    void buildBoxes(Sheet sheet, QWidget* widget);
    void buildLists(Sheet sheet, QWidget* widget);
    void runClickAction(const TwoStateSetting& row, bool checked);

    const ProgramValues& m_values;
    SettingsStore& m_store;
    Guard& m_guard;
    std::map<std::string_view, QGroupBox*> m_groups;
    std::map<std::string_view, QCheckBox*> m_boxes;
    std::map<std::string_view, QComboBox*> m_lists;
};

} // namespace kv
