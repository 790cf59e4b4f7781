// The page "3Dカラー設定": the bars drive one another and store DALGameGammaScale.
#include "Failure.h"
#include "FormFixture.h"
#include "GammaChannels.h"
#include "StoreError.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest/QTest>

using namespace kv;
using namespace kv::test;

namespace kv {
void PrintTo(const GammaChannels& c, std::ostream* os) {
    *os << '(' << c.red << ',' << c.green << ',' << c.blue << ')';
}
} // namespace kv

namespace {

const std::string DalKey = "\\SOFTWARE\\ATI Technologies\\Driver\\0000\\DAL";
const char* const Gamma = "DALGameGammaScale";

// Records every gamma write on its way into the fixture's store; can fail every write.
class RecordingStore final : public SettingsStore {
public:
    explicit RecordingStore(SettingsStore& inner)
        : m_inner(inner) {}
    const RegKey& tree() const override { return m_inner.tree(); }
    void apply(const Change& change) override {
        if (change.kind == Change::Kind::SetValue && change.value.name == Gamma)
            writes.push_back(GammaChannels::split(
                static_cast<std::int32_t>(static_cast<unsigned char>(change.value.data[0]) |
                                          static_cast<unsigned char>(change.value.data[1]) << 8 |
                                          static_cast<unsigned char>(change.value.data[2]) << 16)));
        if (failWrites)
            throw Failure(Message::verbatim("no space left on the device"));
        m_inner.apply(change);
    }
    std::vector<GammaChannels> writes;
    bool failWrites = false;

private:
    SettingsStore& m_inner;
};

class GammaPageTest : public FormFixture {
protected:
    void createGammaForm() {
        form =
            std::make_unique<TForm1>(Services{recorder, dialogs, machine, osVersion, clock, cpu, launcher});
        form->show();
        showPage("TabSheet2", "TabSheet9");
        ASSERT_EQ(form->values().driverKeyPath, "\\SOFTWARE\\ATI Technologies\\Driver\\0000");
    }
    GammaChannels bars() const {
        return {find<QSlider>("TrackBar2")->value(), find<QSlider>("TrackBar3")->value(),
                find<QSlider>("TrackBar4")->value()};
    }
    // Clicks near the left edge, where a check box's indicator takes the click.
    void click(const char* name) {
        auto* button = find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    RecordingStore recorder{store};
};

TEST_F(GammaPageTest, PresetMovesEveryBarAndStoresOncePerColour) {
    createGammaForm();
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "0x00747474");
    for (const char* bar : {"TrackBar1", "TrackBar2", "TrackBar3", "TrackBar4"}) {
        const auto* slider = find<QSlider>(bar);
        EXPECT_EQ(std::tuple(slider->minimum(), slider->value(), slider->maximum()),
                  std::tuple(64, 116, 128));
    }
    for (const char* field : {"Edit1", "Edit2", "Edit3", "Edit4"})
        EXPECT_EQ(find<QLineEdit>(field)->text(), "74") << field;
    click("Button6"); // 適度(64)
    const std::vector<GammaChannels> expected = {{100, 116, 116}, {100, 100, 116}, {100, 100, 100}};
    EXPECT_EQ(recorder.writes, expected);
    for (const char* field : {"Edit1", "Edit2", "Edit3", "Edit4"})
        EXPECT_EQ(find<QLineEdit>(field)->text(), "64") << field;
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "0x00646464");
    EXPECT_EQ(number(RootKey::LocalMachine, DalKey, Gamma), 0x00646464);
}

TEST_F(GammaPageTest, FineAdjustmentMovesOneColourAndPresetInPlaceDoesNothing) {
    createGammaForm();
    click("Gamma3D");
    for (const char* name : {"Label152", "TrackBar2", "Edit2", "Label153", "TrackBar3", "Edit3", "Label154",
                             "TrackBar4", "Edit4"})
        EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
    QTest::keyClick(find<QSlider>("TrackBar3"), Qt::Key_End);
    EXPECT_EQ(recorder.writes, std::vector<GammaChannels>({{116, 128, 116}}));
    EXPECT_EQ(find<QSlider>("TrackBar1")->value(), 116);
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "0x00748074");

    click("Button7"); // 明るめ(74), where the brightness already stands
    EXPECT_EQ(recorder.writes.size(), 1u);
    EXPECT_EQ(bars(), (GammaChannels{116, 128, 116}));

    click("Gamma3D");
    for (const char* name : {"Label152", "TrackBar2", "Edit2", "Label153", "TrackBar3", "Edit3", "Label154",
                             "TrackBar4", "Edit4"})
        EXPECT_FALSE(find<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(find<QWidget>("TrackBar1")->isEnabled());
    EXPECT_EQ(bars(), (GammaChannels{116, 128, 116}));
}

TEST_F(GammaPageTest, UsersMoveInPlaceStillRunsTheBrightnessHandler) {
    createGammaForm();
    QTest::keyClick(find<QSlider>("TrackBar1"), Qt::Key_End);
    click("Gamma3D");
    QTest::keyClick(find<QSlider>("TrackBar2"), Qt::Key_Home);
    recorder.writes.clear();
    QTest::keyClick(find<QSlider>("TrackBar1"), Qt::Key_End); // already at 128
    EXPECT_EQ(recorder.writes, std::vector<GammaChannels>({{128, 128, 128}}));
}

TEST_F(GammaPageTest, BarKeysFollowTheWindowsTrackBar) {
    createGammaForm();
    struct Row {
        Qt::Key key;
        int gamma;  // TrackBar1 from 100, page size 10, range 64-128
        int detail; // DetailBias from 3, page size 1, range 0-6
    };
    const Row rows[] = {
        {Qt::Key_Right, 101, 4},    {Qt::Key_Down, 101, 4},  {Qt::Key_Left, 99, 2}, {Qt::Key_Up, 99, 2},
        {Qt::Key_PageDown, 110, 4}, {Qt::Key_PageUp, 90, 2}, {Qt::Key_Home, 64, 0}, {Qt::Key_End, 128, 6},
    };
    auto* gamma = find<QSlider>("TrackBar1");
    auto* detail = find<QSlider>("DetailBias");
    for (const Row& row : rows) {
        gamma->setValue(100);
        detail->setValue(3);
        QTest::keyClick(gamma, row.key);
        QTest::keyClick(detail, row.key);
        EXPECT_EQ(gamma->value(), row.gamma) << QKeySequence(row.key).toString().toStdString();
        EXPECT_EQ(detail->value(), row.detail) << QKeySequence(row.key).toString().toStdString();
    }
}

struct ShowCase {
    const char* name;
    GammaChannels stored;
    int brightness;
    GammaChannels shown;
    std::size_t writes;
};

TEST_F(GammaPageTest, ShowingReadsTheStoredValueBackThroughTheBars) {
    const ShowCase cases[] = {
        {"apart", {128, 80, 64}, 90, {128, 80, 64}, 6},
        {"red out of range", {255, 0, 0}, 85, {128, 64, 64}, 6},
        {"default", {116, 116, 116}, 116, {116, 116, 116}, 0},
    };
    for (const ShowCase& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        recorder.writes.clear();
        putNumber(RootKey::LocalMachine, DalKey, Gamma, c.stored.value());
        createGammaForm();
        EXPECT_EQ(find<QSlider>("TrackBar1")->value(), c.brightness);
        EXPECT_EQ(find<QLineEdit>("Edit1")->text(),
                  QString::fromStdString(GammaChannels::positionText(c.brightness)));
        EXPECT_EQ(bars(), c.shown);
        EXPECT_EQ(recorder.writes.size(), c.writes);
        EXPECT_EQ(number(RootKey::LocalMachine, DalKey, Gamma), c.shown.value());
        EXPECT_FALSE(find<QCheckBox>("Gamma3D")->isChecked());
    }
}

TEST_F(GammaPageTest, NothingStoredOrWrongKindLeavesTheBars) {
    createGammaForm(); // no "\DAL" key
    putText(RootKey::LocalMachine, DalKey, "Other", "1");
    showPage("TabSheet1", "TabSheet9");
    showPage("TabSheet2");
    EXPECT_TRUE(recorder.writes.empty());
    EXPECT_TRUE(dialogs.shown.empty());

    putText(RootKey::LocalMachine, DalKey, Gamma, "0x00805040");
    showPage("TabSheet1");
    showPage("TabSheet2");
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>({"'DALGameGammaScale' のデータ型が不正です."}));
    EXPECT_EQ(bars(), GammaChannels{});
    EXPECT_TRUE(recorder.writes.empty());
}

TEST_F(GammaPageTest, AFailedWriteEndsTheWholeChainWithOneBox) {
    createGammaForm();
    recorder.failWrites = true;
    click("Button4"); // 暗め(44)
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>({"'DALGameGammaScale' の設定に失敗しました."}));
    EXPECT_EQ(find<QLineEdit>("Edit2")->text(), "44");
    EXPECT_EQ(bars(), (GammaChannels{68, 116, 116}));
}

} // namespace
