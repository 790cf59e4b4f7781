#include "GammaPage.h"

#include "GammaChannels.h"
#include "ProgramValues.h"
#include "SettingsAccessor.h"
#include "TrackBar.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

namespace {

constexpr const char* GammaValueName = "DALGameGammaScale";
constexpr const char* GammaKey = "\\DAL";
constexpr int FieldHeight = 21;
constexpr int BarWidth = 313;
constexpr int BarHeight = 45;
constexpr int BarPageSize = 10;

struct Preset {
    const char* control;
    const char* handler;
    const char* caption;
    const char* hint;
    int x;
    int brightness;
};

// clang-format off
constexpr Preset Presets[] = {
    {"Button4", "Button4Click", QT_TRANSLATE_NOOP("kv::GammaPage", "暗め(44)"),
     QT_TRANSLATE_NOOP("kv::GammaPage", "暗めの設定です。44に設定します。"), 8, 0x44},
    {"Button88", "Button88Click", QT_TRANSLATE_NOOP("kv::GammaPage", "適度(54)"),
     QT_TRANSLATE_NOOP("kv::GammaPage", "普通だと思われる設定です。54に設定します。若干暗めが好みの方用"), 72, 0x54},
    {"Button6", "Button6Click", QT_TRANSLATE_NOOP("kv::GammaPage", "適度(64)"),
     QT_TRANSLATE_NOOP("kv::GammaPage", "普通だと思われる設定です。64に設定します。若干明るめが好みの方用"), 136, 0x64},
    {"Button7", "Button7Click", QT_TRANSLATE_NOOP("kv::GammaPage", "明るめ(74)"),
     QT_TRANSLATE_NOOP("kv::GammaPage", "かなり明るめの設定です。74に設定します。デフォルト値です。"), 200, 0x74},
};
// clang-format on

QLineEdit* makeField(QWidget* sheet, const char* name, const QRect& geometry, const std::string& text) {
    auto* field = new QLineEdit(QString::fromStdString(text), sheet);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setReadOnly(true);
    return field;
}

QString positionText(int position) {
    return QString::fromStdString(GammaChannels::positionText(position));
}

TrackBar* makeBar(QWidget* sheet, const char* name, int top) {
    return new TrackBar(sheet, name, QRect(48, top, BarWidth, BarHeight), GammaChannels::Minimum,
                        GammaChannels::Maximum, GammaChannels::Default, BarPageSize);
}

} // namespace

GammaPage::GammaPage(QWidget* sheet, SettingsStore& store, Dialogs& dialogs, const ProgramValues& values)
    : QObject(sheet)
    , m_store(store)
    , m_values(values)
    , m_handlers(dialogs) {
    const std::string start = GammaChannels::positionText(GammaChannels::Default);
    for (const Preset& preset : Presets) {
        QPushButton* button = makeButton(sheet, preset.control, tr(preset.caption),
                                         QRect(preset.x, 8, 59, 25), tr(preset.hint));
        connect(button, &QPushButton::clicked, this, [this, brightness = preset.brightness] {
            m_handlers.fromSignal([&] { presetClick(brightness); });
        });
    }
    makeLabel(sheet, "Label155", tr("値："), {304, 20});
    Edit5 = makeField(sheet, "Edit5", {328, 16, 73, FieldHeight},
                      GammaChannels::valueText(GammaChannels{}.value()));
    // The window's Gothic substitute draws digits a little wider than this field was laid out for.
    QFont narrow = Edit5->font();
    narrow.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    Edit5->setFont(narrow);
    Edit5->setCursorPosition(0);
    makeLabel(sheet, "Label156", tr("暗い"), {48, 44});
    makeLabel(sheet, "Label157", tr("明るい"), {336, 44});

    makeLabel(sheet, "Label151", tr("明るさ："), {12, 64});
    TrackBar1 = makeBar(sheet, "TrackBar1", 56);
    Edit1 = makeField(sheet, "Edit1", {368, 56, 33, FieldHeight}, start);

    Gamma3D = makeCheckBox(sheet, "Gamma3D", tr("RGBの微調整する。"), {56, 112, 150, 17});

    Label152 = makeLabel(sheet, "Label152", tr("赤："), {32, 144});
    TrackBar2 = makeBar(sheet, "TrackBar2", 136);
    Edit2 = makeField(sheet, "Edit2", {368, 136, 33, FieldHeight}, start);
    Label153 = makeLabel(sheet, "Label153", tr("緑："), {32, 192});
    TrackBar3 = makeBar(sheet, "TrackBar3", 184);
    Edit3 = makeField(sheet, "Edit3", {368, 184, 33, FieldHeight}, start);
    Label154 = makeLabel(sheet, "Label154", tr("青："), {32, 240});
    TrackBar4 = makeBar(sheet, "TrackBar4", 232);
    Edit4 = makeField(sheet, "Edit4", {368, 232, 33, FieldHeight}, start);
    for (QWidget* w : fineControls())
        w->setEnabled(false);

    connectBar(TrackBar1, &GammaPage::TrackBar1Change);
    connectBar(TrackBar2, &GammaPage::TrackBar2Change);
    connectBar(TrackBar3, &GammaPage::TrackBar3Change);
    connectBar(TrackBar4, &GammaPage::TrackBar4Change);
    connect(Gamma3D, &QCheckBox::toggled, this,
            [this] { m_handlers.fromSignal([this] { Gamma3DClick(); }); });
}

std::array<QWidget*, 9> GammaPage::fineControls() const {
    return {Label152, TrackBar2, Edit2, Label153, TrackBar3, Edit3, Label154, TrackBar4, Edit4};
}

void GammaPage::connectBar(TrackBar* bar, void (GammaPage::*handler)()) {
    const auto run = [this, handler] { m_handlers.fromSignal([this, handler] { (this->*handler)(); }); };
    connect(bar, &QSlider::valueChanged, this, run);
    connect(bar, &TrackBar::movedInPlace, this, run);
}

void GammaPage::setBar(TrackBar* bar, int position) {
    m_handlers.set([&] { bar->setValue(GammaChannels::clamp(position)); });
}

void GammaPage::showValue() {
    const GammaChannels channels{TrackBar2->value(), TrackBar3->value(), TrackBar4->value()};
    Edit5->setText(QString::fromStdString(GammaChannels::valueText(channels.value())));
    Edit5->setCursorPosition(0);
}

void GammaPage::TrackBar1Change() {
    const int brightness = TrackBar1->value();
    Edit1->setText(positionText(brightness));
    setBar(TrackBar2, brightness);
    Edit2->setText(positionText(TrackBar2->value()));
    setBar(TrackBar3, brightness);
    Edit3->setText(positionText(TrackBar3->value()));
    setBar(TrackBar4, brightness);
    Edit4->setText(positionText(TrackBar4->value()));
    showValue();
}

void GammaPage::colourChange(TrackBar* bar, QLineEdit* field) {
    field->setText(positionText(bar->value()));
    showValue();
    const GammaChannels channels{TrackBar2->value(), TrackBar3->value(), TrackBar4->value()};
    TSettingsAccessor reg(m_store);
    reg.SelectRoot(RootKey::LocalMachine);
    reg.OpenPath(m_values.driverKeyPath + GammaKey);
    reg.StoreNumber(GammaValueName, channels.value());
}

void GammaPage::TrackBar2Change() {
    colourChange(TrackBar2, Edit2);
}

void GammaPage::TrackBar3Change() {
    colourChange(TrackBar3, Edit3);
}

void GammaPage::TrackBar4Change() {
    colourChange(TrackBar4, Edit4);
}

void GammaPage::presetClick(int brightness) {
    setBar(TrackBar1, brightness);
}

void GammaPage::Gamma3DClick() {
    const bool fine = Gamma3D->isChecked();
    for (QWidget* w : fineControls())
        w->setEnabled(fine);
}

void GammaPage::TabSheet9Show() {
    m_handlers.within([this] {
        GammaChannels stored;
        {
            // Released before the bars move: their handlers store through accessors of their own.
            TSettingsAccessor reg(m_store);
            reg.SelectRoot(RootKey::LocalMachine);
            const std::string key = m_values.driverKeyPath + GammaKey;
            if (!reg.PathExists(key))
                return;
            reg.OpenPath(key);
            if (!reg.ValuePresent(GammaValueName))
                return;
            stored = GammaChannels::split(reg.LoadNumber(GammaValueName));
        }
        setBar(TrackBar1, stored.average());
        setBar(TrackBar2, stored.red);
        setBar(TrackBar3, stored.green);
        setBar(TrackBar4, stored.blue);
    });
}

} // namespace kv
