// The system page "その他" over recorded processors and a scripted millisecond clock.
#include "Console.h"
#include "FormFixture.h"
#include "ReplayCpu.h"
#include "Screenshot.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <sstream>

using namespace kv;
using namespace kv::test;

namespace {

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const char* const WindowsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion";

// A recorded processor that also notes whether the retry button was enabled whenever the
// counter was read.
class WatchedCpu final : public CpuInstructions {
public:
    bool idBitToggles() override { return replay.idBitToggles(); }
    CpuidResult cpuid(std::uint32_t eax) override { return replay.cpuid(eax); }
    std::uint64_t rdtsc() override {
        if (watch)
            watch();
        return replay.rdtsc();
    }
    ReplayCpu replay;
    std::function<void()> watch;
};

class SystemPageTest : public FormFixture {
protected:
    // Plays back tests/data/<file>; counter readings, if given, replace the recorded ones.
    void useRecording(const char* file, std::vector<std::uint64_t> counter = {}) {
        cpu_.replay = ReplayCpu(loadRecordedProcessor(std::string(KAVENDEL_TEST_DATA) + "/" + file), &clock);
        if (!counter.empty()) {
            cpu_.replay.recording().counterReadings = counter;
            cpu_.replay.recording().counterHz = 0;
        }
        chosenCpu = &cpu_;
    }
    // Readings for one measurement of ticks: start High and Low, end High and Low.
    static std::vector<std::uint64_t> ticks(std::uint64_t start, std::uint64_t count) {
        return {start, start, start + count, start + count};
    }
    QString text(const char* label) { return find<QLabel>(label)->text(); }
    QColor colour(const char* label) { return find<QLabel>(label)->palette().color(QPalette::WindowText); }

    WatchedCpu cpu_;
};

TEST_F(SystemPageTest, ShowsARecordedPentiumMmx) {
    useRecording("pentium-mmx.txt");
    putText(RootKey::LocalMachine, WindowsKey, "VersionNumber", "4.10.1998");
    createForm();
    EXPECT_EQ(text("Label62"), QStringLiteral("Unknown CPU"));
    showPage("TabSheet5");
    const std::pair<const char*, QString> expected[] = {
        {"Label43", "4.10"},
        {"Label42", "Windows98"},
        {"Label64", "Intel"},
        {"Label62", "Pentium Processor w/MMX Tech"},
        {"Label71", "(P55C) [0.35μ]"},
        {"Label81", "GenuineIntel"},
        {"Label78", "5"},
        {"Label77", "4"},
        {"Label74", "3"},
        {"Label69", "対応"},
        {"Label70", "対応"},
        {"Label60", "搭載"},
        {"Label82", "非対応"},
        {"Label114", "非対応"},
        {"Label83", "非対応"},
        {"Label164", "非対応"},
        {"Label58", "166.0000MHz"},
    };
    for (const auto& [label, value] : expected)
        EXPECT_EQ(text(label), value) << label;
    EXPECT_EQ(colour("Label60"), Navy);
    EXPECT_EQ(colour("Label82"), Red);
    EXPECT_EQ(colour("Label164"), Red);
}

TEST_F(SystemPageTest, NamesTheOperatingSystem) {
    struct {
        std::optional<OsVersion> version;
        const char* versionNumber; // nullptr: no value
        const char* os;
        const char* ver;
    } const rows[] = {
        {OsVersion{1, 4, 10}, "4.10.1998", "Windows98", "4.10"},
        {OsVersion{1, 4, 10}, "4.10.2222", "Windows98 Second Edition", "4.10"},
        {OsVersion{1, 4, 10}, nullptr, "Windows98 Second Edition", "4.10"},
        {OsVersion{1, 4, 90}, nullptr, "WindowsMe", "4.90"},
        {OsVersion{1, 4, 0}, nullptr, "Windows95", "4.0"},
        {OsVersion{2, 5, 0}, nullptr, "不明", "5.0"},
        {std::nullopt, nullptr, "不明", "?.??"}, // an unknown Windows, never the host's version
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.os);
        {
            TSettingsAccessor reg(store);
            reg.RemovePath(WindowsKey);
        }
        if (r.versionNumber)
            putText(RootKey::LocalMachine, WindowsKey, "VersionNumber", r.versionNumber);
        osVersion.version = r.version;
        createForm();
        showPage("TabSheet5");
        EXPECT_EQ(text("Label42"), QString::fromUtf8(r.os));
        EXPECT_EQ(text("Label43"), QString::fromUtf8(r.ver));
    }
}

TEST_F(SystemPageTest, KeepsTheVersionTextOnceKnown) {
    osVersion.version = std::nullopt;
    createForm();
    showPage("TabSheet5");
    EXPECT_EQ(text("Label43"), QStringLiteral("?.??"));
    osVersion.version = OsVersion{1, 4, 90};
    showPage("TabSheet1");
    showPage("TabSheet5");
    EXPECT_EQ(text("Label43"), QStringLiteral("4.90"));
    osVersion.version = OsVersion{1, 4, 0};
    showPage("TabSheet1");
    showPage("TabSheet5");
    EXPECT_EQ(text("Label43"), QStringLiteral("4.90"));
    EXPECT_EQ(text("Label42"), QStringLiteral("WindowsMe"));
}

TEST_F(SystemPageTest, AVersionNumberOfTheWrongTypeEndsTheHandler) {
    putNumber(RootKey::LocalMachine, WindowsKey, "VersionNumber", 410);
    useRecording("pentium-mmx.txt");
    createForm();
    showPage("TabSheet5");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"'VersionNumber' のデータ型が不正です."});
    EXPECT_EQ(text("Label43"), QStringLiteral("4.10"));
    EXPECT_EQ(text("Label64"), QStringLiteral("Unknown CPU Vender"));
}

TEST_F(SystemPageTest, MeasuresTheClockAndNamesByIt) {
    struct {
        std::vector<std::uint64_t> counter;
        const char* clock;
        const char* name;
    } const rows[] = {
        {ticks(0, 451'000'000), "451.0000MHz", "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech."},
        {ticks(0, 266'000'000), "266.0000MHz", "Celeron Processor with MMX tech."},
        {ticks(0, 66'666'667), "066.6667MHz", "Unknown CPU"},
        // 999.6 rounds to 1000, so it is shown in GHz and the catalogue gets 1.
        {ticks(0, 999'600'000), "1.000 GHz", "Unknown CPU"},
        {ticks(0xFFFF'F000, 451'000'000), "451.0000MHz",
         "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.clock);
        useRecording("pentium-ii-deschutes.txt", r.counter);
        createForm();
        showPage("TabSheet5");
        EXPECT_EQ(text("Label58"), QString::fromUtf8(r.clock));
        EXPECT_EQ(text("Label62"), QString::fromUtf8(r.name));
    }
}

TEST_F(SystemPageTest, WithoutCpuidShowsAbsentFeaturesAndNoClock) {
    useRecording("i486-no-cpuid.txt");
    createForm();
    showPage("TabSheet5");
    EXPECT_EQ(text("Label81"), QStringLiteral("No Name"));
    for (const char* label : {"Label78", "Label77", "Label74"})
        EXPECT_EQ(text(label), QStringLiteral("??"));
    EXPECT_EQ(text("Label60"), QStringLiteral("なし"));
    EXPECT_EQ(colour("Label60"), Red);
    EXPECT_EQ(text("Label69"), QStringLiteral("非対応"));
    EXPECT_EQ(text("Label70"), QStringLiteral("非対応"));
    EXPECT_EQ(text("Label58"), QStringLiteral("---.----MHz"));
    EXPECT_EQ(cpu_.replay.rdtscCount(), 0);
}

TEST_F(SystemPageTest, WithoutACounterKeepsTheLastMeasuredClock) {
    useRecording("cyrix-6x86mx.txt", ticks(0, 218'000'000));
    createForm();
    showPage("TabSheet5");
    EXPECT_EQ(text("Label71"), QStringLiteral("ＭII PR300GP [2.8v 66x3.5 0.25μ]"));
    // Same processor, counter now reported missing: no measurement, the clock number stays 218.
    cpu_.replay.recording().leaves[1].edx &= ~0x10u;
    find<QLabel>("Label71")->setText(QString());
    showPage("TabSheet1");
    showPage("TabSheet5");
    EXPECT_EQ(text("Label58"), QStringLiteral("---.----MHz"));
    EXPECT_EQ(text("Label62"), QStringLiteral("Cyrix 6x86MX Processor"));
    EXPECT_EQ(text("Label71"), QStringLiteral("ＭII PR300GP [2.8v 66x3.5 0.25μ]"));
}

TEST_F(SystemPageTest, CatalogueMarksSetFeatureLabels) {
    struct {
        const char* file;
        std::vector<const char*> marked;
    } const rows[] = {
        {"k6-2.txt", {"Label82"}},
        {"athlon-thunderbird.txt", {"Label82", "Label114"}},
        {"pentium-iii-katmai.txt", {"Label83"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        useRecording(r.file);
        createForm();
        showPage("TabSheet5");
        for (const char* label : {"Label82", "Label114", "Label83"}) {
            const bool marked =
                std::find(r.marked.begin(), r.marked.end(), std::string_view(label)) != r.marked.end();
            EXPECT_EQ(text(label), marked ? QStringLiteral("搭載") : QStringLiteral("非対応")) << label;
            EXPECT_EQ(colour(label), marked ? Navy : Red) << label;
        }
    }
}

TEST_F(SystemPageTest, RetryMeasuresAgainWithTheButtonDisabled) {
    useRecording("cyrix-6x86mx.txt", {0, 0, 218'000'000, 218'000'000, 0, 0, 300'000'000, 300'000'000, 0, 0,
                                      301'000'000, 301'000'000});
    createForm();
    showPage("TabSheet5");
    auto* retry = find<QPushButton>("retry");
    EXPECT_EQ(retry->text(), QStringLiteral("再計算(&R)"));
    EXPECT_EQ(retry->toolTip(), QStringLiteral("CPUクロックを再測定する。"));
    std::vector<bool> enabledWhileReading;
    cpu_.watch = [&] { enabledWhileReading.push_back(retry->isEnabled()); };
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(text("Label58"), QStringLiteral("300.0000MHz"));
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(text("Label58"), QStringLiteral("301.0000MHz"));
    EXPECT_EQ(enabledWhileReading, std::vector<bool>(8, false));
    EXPECT_TRUE(retry->isEnabled());
    // The name follows the new clock only at the next showing.
    EXPECT_EQ(text("Label62"), QStringLiteral("Cyrix 6x86MX Processor"));
    EXPECT_EQ(text("Label71"), QStringLiteral("ＭII PR300GP [2.8v 66x3.5 0.25μ]"));
}

// Each recording in tests/data shows the clock it records, however often the counter is read:
// on the page, after 再計算, and in the rendered pictures' table.
TEST_F(SystemPageTest, EveryRecordingShowsItsRecordedClock) {
    struct {
        const char *file, *clock, *name;
    } const rows[] = {
        {"athlon-thunderbird.txt", "1.000 GHz", "Athlon Processor (Thunderbird)"},
        {"cyrix-6x86mx.txt", "218.0000MHz", "Cyrix 6x86MX Processor"},
        {"host-cpuid-r.txt", "000.0000MHz", "Unknown CPU"},
        {"host-cpuid-tool.txt", "000.0000MHz", "Unknown CPU"},
        {"i486-no-cpuid.txt", "---.----MHz", "未定義"},
        {"k6-2.txt", "350.0000MHz", "K6-2 Processor with 3DNow!! Technology"},
        {"pentium-ii-deschutes.txt", "350.0000MHz",
         "PentiumII/PentiumII Xeon/Celeron Processor with MMX tech."},
        {"pentium-iii-katmai.txt", "450.0000MHz", "PentiumIII / PentiumIII Xeon Processor"},
        {"pentium-mmx.txt", "166.0000MHz", "Pentium Processor w/MMX Tech"},
        {"rise-mp6.txt", "200.0000MHz", "mP6 Processor"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        useRecording(r.file);
        createForm();
        showPage("TabSheet5");
        EXPECT_EQ(text("Label58"), QString::fromUtf8(r.clock));
        EXPECT_EQ(text("Label62"), QString::fromUtf8(r.name));
        QTest::mouseClick(find<QPushButton>("retry"), Qt::LeftButton);
        EXPECT_EQ(text("Label58"), QString::fromUtf8(r.clock));
        showPage("TabSheet1");
        const QTemporaryDir shots;
        const ConsoleTexts texts;
        std::ostringstream listed;
        ASSERT_EQ(renderScreenshots(*form, shots.path().toStdString(), Console(texts, listed, listed)), 0);
        QFile table(shots.filePath(QStringLiteral("controls.tsv")));
        ASSERT_TRUE(table.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(table.readAll()).split(u'\n');
        for (const char* label : {"Label58", "Label62"}) {
            const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
                return l.section(u'\t', 1, 1) == QLatin1String(label);
            });
            ASSERT_NE(line, lines.end()) << label;
            EXPECT_EQ(line->section(u'\t', 3, 3), text(label)) << label;
        }
    }
}

TEST_F(SystemPageTest, ExitButtonClosesTheWindow) {
    createForm();
    showPage("TabSheet5");
    auto* exit = find<QPushButton>("Button5");
    EXPECT_EQ(exit->text(), QStringLiteral("終了(&E)"));
    EXPECT_EQ(exit->statusTip(), QStringLiteral("Kavendelを終了します。"));
    QTest::mouseClick(exit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->findChild<QObject*>(QStringLiteral("PentiumMMX1"))->metaObject()->className(),
              QByteArray("kv::TPentiumMMX"));
}

} // namespace
