#include "ViaPage.h"

#include "SettingsAccessor.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

#include <cstdint>
#include <utility>

namespace kv {

namespace {

constexpr const char* ViaKey = "\\System\\CurrentControlSet\\Services\\VxD\\VIAGART";
constexpr const char* TurboValue = "Turbo";
constexpr const char* SideBandValue = "SideBand";

struct Text {
    const char* control;
    const char* caption;
    QPoint at;
};

// clang-format off
constexpr Text GroupLabels[] = {
    {"Label137", QT_TRANSLATE_NOOP("kv::ViaPage", "・FastWrite 有効"), {48, 40}},
    {"Label138", QT_TRANSLATE_NOOP("kv::ViaPage", "・AGPモード - 1x,2x,4x 自動認識"), {48, 56}},
    {"Label140", QT_TRANSLATE_NOOP("kv::ViaPage", "・FastWrite 無効"), {48, 104}},
    {"Label147", QT_TRANSLATE_NOOP("kv::ViaPage", "・AGPモード - 1x 固定"), {48, 120}},
};

// The restart warning, red and bold.
constexpr Text Warnings[] = {
    {"Label148", QT_TRANSLATE_NOOP("kv::ViaPage", "※ 設定変更後は再起動を必ずしてください。"), {32, 224}},
    {"Label149", QT_TRANSLATE_NOOP("kv::ViaPage", "もし、再起動後Windowsが正常に動作しない場合は"), {48, 240}},
    {"Label150", QT_TRANSLATE_NOOP("kv::ViaPage", "セーフモードで起動し再度設定をしてください。"), {48, 256}},
};
// clang-format on

// A 16-bit little-endian flag. A missing value leaves the buffer at 00 00, and shorter data fills
// it from its first byte.
std::uint16_t loadFlag(const TSettingsAccessor& reg, std::string_view name) {
    unsigned char buffer[2] = {0, 0};
    reg.LoadBytes(name, buffer, sizeof buffer);
    return static_cast<std::uint16_t>(buffer[0] | (buffer[1] << 8));
}

} // namespace

ViaPage::ViaPage(QWidget* sheet, QTabWidget* pages, SettingsStore& store, Dialogs& dialogs)
    : QObject(sheet)
    , m_sheet(sheet)
    , m_pages(pages)
    , m_store(store)
    , m_handlers(dialogs) {
    QGroupBox* group = makeGroup(sheet, "GroupBox11", tr("VIAチップセット専用 AGP設定"), {24, 8, 369, 153});
    VIATurbo = makeRadioButton(group, "VIATurbo", QStringLiteral("Turbo"), {16, 24, 113, 17});
    VIATurbo->setChecked(true);
    VIAStandard = makeRadioButton(group, "VIAStandard", QStringLiteral("Standard"), {16, 88, 113, 17});
    for (const Text& text : GroupLabels)
        makeLabel(group, text.control, tr(text.caption), text.at);
    VIASideband = makeCheckBox(sheet, "VIASideband", tr("Sideband addressing設定"), {40, 176, 185, 17});
    for (const Text& text : Warnings) {
        QLabel* label = makeLabel(sheet, text.control, tr(text.caption), text.at);
        setLabelColour(label, Qt::red);
        setLabelFont(label, true);
    }

    // A radio button's handler runs when it becomes the selected one.
    for (const auto& [button, handler] :
         {std::pair{VIATurbo, &ViaPage::VIATurboClick}, std::pair{VIAStandard, &ViaPage::VIAStandardClick}})
        connect(button, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected)
                m_handlers.fromSignal([this, handler] { (this->*handler)(); });
        });
    connect(VIASideband, &QCheckBox::toggled, this,
            [this] { m_handlers.fromSignal([this] { VIASidebandClick(); }); });
}

void ViaPage::storeFlag(std::string_view name, bool set) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(set ? 1 : 0), 0};
    TSettingsAccessor reg(m_store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(ViaKey);
    reg.StoreBytes(name, bytes, sizeof bytes);
}

void ViaPage::VIATurboClick() {
    storeFlag(TurboValue, true);
}

void ViaPage::VIAStandardClick() {
    storeFlag(TurboValue, false);
}

void ViaPage::VIASidebandClick() {
    storeFlag(SideBandValue, VIASideband->isChecked());
}

void ViaPage::TabSheet2Show() {
    m_handlers.within([this] {
        std::uint16_t sideBand = 0;
        std::uint16_t turbo = 0;
        {
            // Released before the controls change: their handlers store through accessors of their own.
            TSettingsAccessor reg(m_store);
            reg.SelectRoot(RootKey::LocalMachine);
            if (!reg.PathExists(ViaKey)) {
                // Hidden for the rest of the run, even if the key appears later.
                m_pages->setTabVisible(m_pages->indexOf(m_sheet), false);
                return;
            }
            reg.OpenPath(ViaKey);
            sideBand = loadFlag(reg, SideBandValue);
            turbo = loadFlag(reg, TurboValue);
        }
        m_handlers.set([&] { (turbo == 1 ? VIATurbo : VIAStandard)->setChecked(true); });
        if (sideBand == 1)
            m_handlers.set([&] { VIASideband->setChecked(true); });
    });
}

} // namespace kv
