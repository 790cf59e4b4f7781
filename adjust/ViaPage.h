// The page "VIA専用設定" (TabSheet10): the options the VIA chipset's AGP driver reads from its
// own key, the AGP mode (Turbo or Standard) and sideband addressing.
#pragma once

#include <QObject>

#include <string_view>

class QCheckBox;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace kv {

class Guard;
class SettingsStore;

class ViaPage : public QObject {
    Q_OBJECT
public:
    // pages is the page control that offers sheet; reading hides the sheet's tab there.
    ViaPage(QWidget* sheet, QTabWidget* pages, SettingsStore& store, Guard& guard);

    // The show handler of the "レジストリ" page: its whole work is reading this page's state.
    void TabSheet2Show();
    void VIATurboClick();
    void VIAStandardClick();
    void VIASidebandClick();

    QRadioButton* VIATurbo = nullptr;
    QRadioButton* VIAStandard = nullptr;
    QCheckBox* VIASideband = nullptr;

private:
    void storeFlag(std::string_view name, bool set);

    QWidget* m_sheet;
    QTabWidget* m_pages;
    SettingsStore& m_store;
    Guard& m_guard;
};

} // namespace kv
