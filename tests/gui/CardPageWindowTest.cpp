// The page "情報": the card database shown through the real window.
#include "Cp932.h"
#include "FormFixture.h"

#include <QLabel>

using namespace kv;
using namespace kv::test;

namespace {

const std::string Cds = "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\";

class CardPageTest : public FormFixture {
protected:
    void put(const std::string& key, const std::string& name, const std::string& text) {
        putText(RootKey::LocalMachine, Cds + key, name, cp932::fromUtf8(text));
    }
    QString shown(const char* label) const { return find<QLabel>(label)->text(); }
    void showCardPage() {
        showPage("TabSheet1");
        showPage("TabSheet6");
    }
};

// The labels the database fills, with their design texts.
const std::pair<const char*, const char*> DesignTexts[] = {
    {"Label110", "不明"}, {"Label49", "不明"},  {"Label32", "×"},     {"Label36", "×"},
    {"Label37", "不明"},  {"Label107", "×"},    {"Label56", "×"},     {"Label89", "×"},
    {"Label92", "×"},     {"Label94", "不明"},  {"Label96", "不明"},  {"Label98", "不明"},
    {"Label100", "不明"}, {"Label102", "不明"}, {"Label112", "×"},    {"Label118", "×"},
    {"Label111", "×"},    {"Label105", "×"},    {"Label119", "不可"}, {"Label38", "×"},
    {"Label123", "不明"}, {"Label124", "不明"}, {"Label125", "不明"}, {"Label129", "不明"},
    {"Label130", "不明"}, {"Label131", "不明"}, {"Label116", "不明"}, {"Label133", "×"},
};

TEST_F(CardPageTest, WithoutTheDatabaseOnlyTheSummaryFactsChange) {
    createForm();
    showCardPage();
    EXPECT_EQ(shown("Label104"), shown("Label5"));
    EXPECT_EQ(shown("Label109"), shown("Label7"));
    EXPECT_EQ(shown("Label108"), shown("Label11"));
    for (const auto& [label, text] : DesignTexts)
        EXPECT_EQ(shown(label), QString::fromUtf8(text)) << label;
    EXPECT_TRUE(dialogs.shown.empty());
    auto* memo = find<QWidget>("Memo4");
    EXPECT_GE(memo->x(), form->TabSheet6->width());
    EXPECT_NE(memo->focusPolicy(), Qt::NoFocus);
}

TEST_F(CardPageTest, TextsStopAtTheParenthesisAndFlagsNeedTheOne) {
    put("ASIC", "Chip ID", "RADEON DDR (0x5144)");
    put("ASIC", "Bus Type", "AGP"); // no "(": shown whole
    put("ASIC", "Aperture Range", "(128MB)");
    put("ASIC", "2D Acceleration", "Yes (1)");
    put("ASIC", "3D Acceleration", "No (0)");
    put("ASIC", "IDCT", "1"); // no ")": not set
    put("Audio", "Other", "Yes (1)");
    put("BIOS", "Date", "2001/03/05 (Mon)");
    put("Memory", "Block Write Support", "Yes (1)");
    put("Multi Media", "Any Video In", "No (0)");
    put("Multi Media", "Any Video Out", "Yes (1)");
    put("Multi Media", "Is All-in-Wonder Family", "No (0)");
    put("Video In", "Chip Type", "Rage Theater (2)");
    put("Video Out", "Standard", "標準 (NTSC)");
    put("Video Out", "Macro Vision Support", "No (0)");
    createForm();
    showCardPage();
    const std::pair<const char*, const char*> expected[] = {
        {"Label110", "RADEON DDR "},
        {"Label49", "AGP"},
        {"Label37", ""},
        {"Label32", "○"},
        {"Label36", "×"},
        {"Label56", "×"},
        {"Label92", "×"},
        {"Label100", "2001/03/05 "},
        {"Label112", "○"},
        {"Label111", "×"},
        {"Label105", "○"},
        {"Label119", "不可"},
        {"Label123", "不明"},
        {"Label131", "標準 "},
        {"Label133", ""},
        {"Label130", "不明"},
    };
    for (const auto& [label, text] : expected)
        EXPECT_EQ(shown(label), QString::fromUtf8(text)) << label;
}

TEST_F(CardPageTest, AnOpenedGateStaysOpen) {
    put("Multi Media", "Any Video In", "Yes (1)");
    put("Video In", "Chip Type", "Rage Theater (2)");
    createForm();
    showCardPage();
    EXPECT_EQ(shown("Label123"), "Rage Theater ");
    put("Multi Media", "Any Video In", "No (0)");
    put("Video In", "Chip Type", "Philips (7)");
    showCardPage();
    EXPECT_EQ(shown("Label111"), "○");
    EXPECT_EQ(shown("Label123"), "Philips ");
}

TEST_F(CardPageTest, WrongKindStopsTheShowingThere) {
    put("BIOS", "Part Number", "113-83701-101 (x)");
    putNumber(RootKey::LocalMachine, Cds + "BIOS", "Version", 7);
    put("BIOS", "File Name", "R6.BIN");
    put("Memory", "Block Write Support", "Yes (1)");
    createForm();
    showCardPage();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>({"'Version' のデータ型が不正です."}));
    EXPECT_EQ(shown("Label94"), "113-83701-101 ");
    EXPECT_EQ(shown("Label96"), "不明");
    EXPECT_EQ(shown("Label98"), "不明");
    EXPECT_EQ(shown("Label112"), "×");
}

} // namespace
