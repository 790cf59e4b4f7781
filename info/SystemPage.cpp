#include "SystemPage.h"

#include "ClockMeasurement.h"
#include "Guard.h"
#include "OsVersion.h"
#include "PentiumMMX.h"
#include "ProcessorCatalogue.h"
#include "Services.h"
#include "SettingsAccessor.h"
#include "Translation.h"
#include "Widgets.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

namespace kv {

namespace {

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

const char* const Present = QT_TRANSLATE_NOOP("kv::SystemPage", "搭載");
const char* const NotSupported = QT_TRANSLATE_NOOP("kv::SystemPage", "非対応");
const QString NoClock = QStringLiteral("---.----MHz");

void showPresence(QLabel* label, bool present, const QString& absentText) {
    setLabelText(label, present ? SystemPage::tr(Present) : absentText);
    setLabelColour(label, present ? Navy : Red);
}

enum class Style { Plain, Feature, Clock };

// One line of Panel4: a caption and the value label beside it.
struct PanelRow {
    const char* captionName;
    const char* caption;
    QPoint captionAt;
    const char* valueName;
    const char* designText;
    QPoint valueAt;
    Style style;
    QLabel* SystemPage::*member;
};

// clang-format off
const PanelRow PanelRows[] = {
    {"Caption42", QT_TRANSLATE_NOOP("kv::SystemPage", "OS："), {16, 8}, "Label42", QT_TRANSLATE_NOOP("kv::SystemPage", "不明"), {56, 8}, Style::Plain, &SystemPage::Label42},
    {"Caption43", "Ver.", {248, 8}, "Label43", "?.??", {276, 8}, Style::Plain, &SystemPage::Label43},
    {"Caption64", QT_TRANSLATE_NOOP("kv::SystemPage", "CPU 社名："), {16, 32}, "Label64", "Unknown CPU Vender", {80, 32}, Style::Plain, &SystemPage::Label64},
    {"Caption62", QT_TRANSLATE_NOOP("kv::SystemPage", "CPU 名："), {16, 50}, "Label62", "Unknown CPU", {80, 50}, Style::Plain, &SystemPage::Label62},
    {"Caption71", QT_TRANSLATE_NOOP("kv::SystemPage", "CPU詳細："), {16, 68}, "Label71", "                     ", {80, 68}, Style::Plain, &SystemPage::Label71},
    {"Caption81", QT_TRANSLATE_NOOP("kv::SystemPage", "ベンダーネーム："), {16, 92}, "Label81", "Unknown Vender", {112, 92}, Style::Plain, &SystemPage::Label81},
    {"Caption78", QT_TRANSLATE_NOOP("kv::SystemPage", "ファミリ："), {16, 110}, "Label78", "??", {72, 110}, Style::Plain, &SystemPage::Label78},
    {"Caption77", QT_TRANSLATE_NOOP("kv::SystemPage", "モデル："), {120, 110}, "Label77", "??", {168, 110}, Style::Plain, &SystemPage::Label77},
    {"Caption74", QT_TRANSLATE_NOOP("kv::SystemPage", "ステッピングID："), {216, 110}, "Label74", "??", {312, 110}, Style::Plain, &SystemPage::Label74},
    {"Caption69", QT_TRANSLATE_NOOP("kv::SystemPage", "CPU ID命令："), {16, 134}, "Label69", QT_TRANSLATE_NOOP("kv::SystemPage", "対応"), {184, 134}, Style::Plain, &SystemPage::Label69},
    {"Caption70", QT_TRANSLATE_NOOP("kv::SystemPage", "RDTSC 命令："), {16, 152}, "Label70", QT_TRANSLATE_NOOP("kv::SystemPage", "対応"), {184, 152}, Style::Plain, &SystemPage::Label70},
    {"Caption60", QT_TRANSLATE_NOOP("kv::SystemPage", "MMX 命令："), {16, 170}, "Label60", QT_TRANSLATE_NOOP("kv::SystemPage", "搭載"), {184, 170}, Style::Feature, &SystemPage::Label60},
    {"Caption82", QT_TRANSLATE_NOOP("kv::SystemPage", "3DNow!!命令："), {16, 188}, "Label82", QT_TRANSLATE_NOOP("kv::SystemPage", "非対応"), {184, 188}, Style::Feature, &SystemPage::Label82},
    {"Caption114", QT_TRANSLATE_NOOP("kv::SystemPage", "Enhanced 3DNow!!命令："), {16, 206}, "Label114", QT_TRANSLATE_NOOP("kv::SystemPage", "非対応"), {184, 206}, Style::Feature, &SystemPage::Label114},
    {"Caption83", QT_TRANSLATE_NOOP("kv::SystemPage", "Streaming SIMD拡張命令："), {16, 224}, "Label83", QT_TRANSLATE_NOOP("kv::SystemPage", "非対応"), {184, 224}, Style::Feature, &SystemPage::Label83},
    {"Caption164", QT_TRANSLATE_NOOP("kv::SystemPage", "Streaming SIMD拡張命令2："), {16, 242}, "Label164", QT_TRANSLATE_NOOP("kv::SystemPage", "非対応"), {184, 242}, Style::Feature, &SystemPage::Label164},
    {"Caption58", QT_TRANSLATE_NOOP("kv::SystemPage", "CPU 動作クロック："), {16, 272}, "Label58", "---.----MHz", {128, 268}, Style::Clock, &SystemPage::Label58},
};
// clang-format on

} // namespace

SystemPage::SystemPage(QWidget* sheet, TPentiumMMX& cpu, const Services& services, Guard& guard)
    : QObject(sheet)
    , m_cpu(cpu)
    , m_store(services.store)
    , m_guard(guard)
    , m_osVersion(services.osVersion)
    , m_clock(services.clock) {
    Panel4 = new QFrame(sheet);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel4->setGeometry(8, 8, 409, 305);
    for (const PanelRow& row : PanelRows) {
        makeLabel(Panel4, row.captionName, tr(row.caption), row.captionAt);
        QLabel* value = makeLabel(Panel4, row.valueName, tr(row.designText), row.valueAt);
        if (row.style == Style::Feature) {
            setLabelFont(value, true);
            setLabelColour(value, row.designText == std::string_view("搭載") ? Navy : Red);
        } else if (row.style == Style::Clock) {
            setLabelFont(value, true, 19);
        }
        this->*row.member = value;
    }
    retry = makeButton(sheet, "retry", tr("再計算(&R)"), {8, 328, 121, 25}, tr("CPUクロックを再測定する。"));
    connect(retry, &QPushButton::clicked, this, [this] { m_guard.run([this] { retryClick(); }); });
}

void SystemPage::TabSheet4Show() {
    showVersion();
    showOsName();
    setLabelText(Label64, translated("ProcessorCatalogue", makerLabel(m_cpu.VendorString().toStdString())));
    showFeatures();
    showIdentity();
    if (m_cpu.RDTSCsupport())
        showClock();
    else
        setLabelText(Label58, NoClock);
    showName();
}

void SystemPage::retryClick() {
    retry->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { retry->setEnabled(true); });
    if (m_cpu.RDTSCsupport())
        showClock();
    else
        setLabelText(Label58, NoClock);
}

void SystemPage::showVersion() {
    if (m_versionText.isEmpty()) {
        if (const auto version = m_osVersion.query())
            m_versionText = QString::asprintf("%d.%d", version->major, version->minor);
    }
    // An unknown version keeps the "?.??" the label starts with, beside the OS name's "不明".
    if (!m_versionText.isEmpty())
        setLabelText(Label43, m_versionText);
}

void SystemPage::showOsName() {
    if (m_versionText == QLatin1String("4.10")) {
        std::string number;
        {
            TSettingsAccessor reg(m_store);
            reg.SelectRoot(RootKey::LocalMachine);
            reg.OpenPath("\\Software\\Microsoft\\Windows\\CurrentVersion");
            number = reg.LoadText("VersionNumber");
        }
        setLabelText(Label42, number == "4.10.1998" ? QStringLiteral("Windows98")
                                                    : QStringLiteral("Windows98 Second Edition"));
    } else if (m_versionText == QLatin1String("4.90")) {
        setLabelText(Label42, QStringLiteral("WindowsMe"));
    } else if (m_versionText == QLatin1String("4.0")) {
        setLabelText(Label42, QStringLiteral("Windows95"));
    }
}

void SystemPage::showFeatures() {
    showPresence(Label60, m_cpu.MMXsupport(), tr("なし"));
    // The CPUID and RDTSC texts keep their colour.
    setLabelText(Label69, m_cpu.CpuIDsupport() ? tr("対応") : tr(NotSupported));
    setLabelText(Label70, m_cpu.RDTSCsupport() ? tr("対応") : tr(NotSupported));
    showPresence(Label82, m_cpu.AMDsupport(), tr(NotSupported));
    showPresence(Label83, m_cpu.SSIMDsupport(), tr(NotSupported));
    showPresence(Label164, m_cpu.SSIMD2support(), tr(NotSupported));
}

void SystemPage::showIdentity() {
    if (m_cpu.CpuIDsupport()) {
        setLabelText(Label81, QString::fromLatin1(m_cpu.VendorString()));
        setLabelText(Label78, QString::number(m_cpu.Family()));
        setLabelText(Label77, QString::number(m_cpu.Model()));
        setLabelText(Label74, QString::number(m_cpu.SteppingID()));
    } else {
        setLabelText(Label81, QStringLiteral("No Name"));
        for (QLabel* label : {Label78, Label77, Label74})
            setLabelText(label, QStringLiteral("??"));
    }
}

void SystemPage::showClock() {
    const ClockReading reading = measureClock(m_cpu, m_clock);
    m_measuredClock = reading.clockNumber;
    setLabelText(Label58, QString::fromStdString(reading.text));
}

QString SystemPage::nameHint(const MatchFields& match) {
    const auto field = [](const std::string& value) { return value.empty() ? tr("任意") : fromUtf8(value); };
    const QString text =
        match.matched
            ? tr("該当したカタログの行：%1 ファミリ %2 モデル %3 ステッピング %4 クロック %5")
            : tr("カタログに該当する行はありません：%1 ファミリ %2 モデル %3 ステッピング %4 クロック %5");
    return text.arg(fromUtf8(match.vendor), field(match.family), field(match.model), field(match.stepping),
                    field(match.clock));
}

void SystemPage::showName() {
    const QByteArray vendor = m_cpu.VendorString();
    ProcessorIdentity identity;
    identity.vendor = std::string_view(vendor.constData(), static_cast<std::size_t>(vendor.size()));
    identity.family = m_cpu.Family();
    identity.model = m_cpu.Model();
    identity.stepping = m_cpu.SteppingID();
    identity.measuredClock = m_measuredClock;
    const ProcessorName found = lookUpName(identity);
    if (found.name)
        setLabelText(Label62, translated("ProcessorCatalogue", *found.name));
    setHint(Label62, nameHint(describeMatch(identity, found)));
    if (found.detail)
        setLabelText(Label71, translated("ProcessorCatalogue", *found.detail));
    for (const auto& [marked, label] :
         {std::pair{found.threeDNow, Label82}, std::pair{found.enhanced3DNow, Label114},
          std::pair{found.sse, Label83}})
        if (marked)
            showPresence(label, true, {});
}

} // namespace kv
