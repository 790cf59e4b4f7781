#include "SettingsControls.h"

#include "DriverSettings.h"
#include "ProgramValues.h"
#include "RadioGroup.h"
#include "Translation.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

#include <string>

namespace kv {

namespace {

QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

QGroupBox* makeNamedGroup(QWidget* parent, std::string_view name, std::string_view caption, const Rect& at) {
    return makeGroup(parent, std::string(name).c_str(), catalogueText(caption), toQRect(at));
}

} // namespace

QString catalogueText(std::string_view text) {
    return translated("SettingsCatalogue", text);
}

SettingsControls::SettingsControls(const ProgramValues& values, SettingsStore& store, Dialogs& dialogs)
    : m_values(values)
    , m_store(store)
    , m_handlers(dialogs) {}

const std::string& SettingsControls::driverKeyPath() const {
    return m_values.driverKeyPath;
}

void SettingsControls::buildSheet(Sheet sheet, QWidget* widget) {
    buildBoxes(sheet, widget);
    buildLists(sheet, widget);
}

void SettingsControls::buildBoxes(Sheet sheet, QWidget* widget) {
    std::map<BoxGroup, QWidget*> parents;
    for (const BoxGroupPlace& group : boxGroups()) {
        if (group.sheet == sheet)
            parents[group.id] = group.name.empty()
                                    ? widget
                                    : makeNamedGroup(widget, group.name, group.caption, group.geometry);
    }
    for (const TwoStateSetting& row : twoStateSettings()) {
        const auto parent = parents.find(row.group);
        if (parent == parents.end())
            continue;
        QCheckBox* box =
            makeCheckBox(parent->second, std::string(row.control).c_str(), catalogueText(row.caption),
                         toQRect(boxGeometry(row)), catalogueText(row.hint));
        m_boxes[row.control] = box;
        QObject::connect(box, &QCheckBox::toggled, box,
                         [this, &row](bool checked) { guarded([&] { runClickAction(row, checked); }); });
    }
}

void SettingsControls::buildLists(Sheet sheet, QWidget* widget) {
    std::map<std::string_view, QGroupBox*> listGroups;
    for (const ChoiceGroup& group : choiceGroups())
        if (group.sheet == sheet)
            listGroups[group.name] = makeNamedGroup(widget, group.name, group.caption, group.geometry);
    for (const ChoiceList& row : choiceLists()) {
        const auto group = listGroups.find(row.group);
        if (group == listGroups.end())
            continue;
        auto* list = new QComboBox(group->second);
        list->setObjectName(fromUtf8(row.control));
        list->setGeometry(row.left, row.top, row.width, list->sizeHint().height());
        for (const ChoiceItem& item : row.items)
            list->addItem(catalogueText(item.text));
        list->setCurrentIndex(-1);
        m_lists[row.control] = list;
        // Only the user's choice runs the handler; an item selected by the program does not.
        QObject::connect(list, &QComboBox::activated, list, [this, &row](int item) {
            guarded([&] { storeChoice(m_store, driverKeyPath(), row, item); });
        });
    }
    if (const auto group = listGroups.find("AntiAliasGroup"); group != listGroups.end())
        antiAliasGroup = group->second;
}

void SettingsControls::guarded(const std::function<void()>& handler) {
    m_handlers.fromSignal(handler);
}

void SettingsControls::runClickAction(const TwoStateSetting& row, bool checked) {
    // The lists switch before the stores, so they follow the box even when a store fails.
    if (row.special == Special::FullSceneAA)
        setAntiAliasEnabled(checked);
    clickAction(m_store, driverKeyPath(), row, checked);
}

void SettingsControls::setBoxByProgram(std::string_view control, bool checked) {
    m_handlers.set([&] { box(control)->setChecked(checked); });
}

void SettingsControls::setAgpSpeedByProgram(int item) {
    m_handlers.set([&] { agpSpeed->setItemIndex(item); });
}

void SettingsControls::setAntiAliasEnabled(bool enabled) {
    antiAliasGroup->setEnabled(enabled);
    list("AntiAlias")->setEnabled(enabled);
    list("AntiAliasRatio")->setEnabled(enabled);
}

QCheckBox* SettingsControls::box(std::string_view control) const {
    return m_boxes.at(control);
}

QComboBox* SettingsControls::list(std::string_view control) const {
    return m_lists.at(control);
}

} // namespace kv
