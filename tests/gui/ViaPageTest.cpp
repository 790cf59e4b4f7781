// The page "VIA専用設定": read by the "レジストリ" page's show handler, stored by its controls.
#include "FormFixture.h"
#include "KeyTree.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest/QTest>

using namespace kv;
using namespace kv::test;

namespace {

const std::string ViaKey = "\\System\\CurrentControlSet\\Services\\VxD\\VIAGART";

class ViaPageTest : public FormFixture {
protected:
    void put(const char* name, std::uint32_t type, const std::string& data) {
        TSettingsAccessor reg(store);
        reg.OpenPath(ViaKey);
        if (type == RegBinary)
            reg.StoreBytes(name, data.data(), data.size());
        else
            reg.StoreText(name, data);
    }
    // The stored bytes of a value, or "-" when it is missing.
    std::string bytes(const char* name) {
        const RegKey* key = store.tree().find(
            {"HKEY_LOCAL_MACHINE", "System", "CurrentControlSet", "Services", "VxD", "VIAGART"});
        const RegValue* value = key ? key->value(name) : nullptr;
        return value ? value->data : "-";
    }
    // Clicks on the indicator, where a radio button or check box takes the click.
    void click(const char* name) {
        auto* button = find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void showRegistryPage() {
        showPage("TabSheet1");
        showPage("TabSheet2");
    }
    bool viaOffered() const {
        return form->PageControl2->isTabVisible(form->PageControl2->indexOf(form->TabSheet10));
    }
};

TEST_F(ViaPageTest, MissingKeyHidesThePageForTheRestOfTheRun) {
    createForm();
    showRegistryPage();
    EXPECT_FALSE(viaOffered());
    EXPECT_FALSE(TSettingsAccessor(store).PathExists(ViaKey));

    put("Turbo", RegBinary, std::string("\x01\x00", 2));
    showRegistryPage();
    EXPECT_FALSE(viaOffered());
}

struct ReadCase {
    const char* name;
    std::string sideBand; // "-" for missing
    std::string turbo;
    bool turboSelected;
    bool sidebandTicked;
    std::string turboAfter;
};

TEST_F(ViaPageTest, ReadingSelectsTheStoredChoices) {
    const ReadCase cases[] = {
        {"both set", std::string("\x01\x00", 2), std::string("\x01\x00", 2), true, true,
         std::string("\x01\x00", 2)},
        {"both missing", "-", "-", false, false, std::string("\x00\x00", 2)},
        {"one-byte turbo", "-", "\x01", true, false, "\x01"},
        {"turbo other than 1", std::string("\x00\x01", 2), "\x02", false, false, std::string("\x00\x00", 2)},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        TSettingsAccessor(store).RemovePath(ViaKey);
        TSettingsAccessor(store).OpenPath(ViaKey);
        if (c.sideBand != "-")
            put("SideBand", RegBinary, c.sideBand);
        if (c.turbo != "-")
            put("Turbo", RegBinary, c.turbo);
        createForm();
        showRegistryPage();
        EXPECT_TRUE(viaOffered());
        EXPECT_EQ(find<QRadioButton>("VIATurbo")->isChecked(), c.turboSelected);
        EXPECT_EQ(find<QRadioButton>("VIAStandard")->isChecked(), !c.turboSelected);
        EXPECT_EQ(find<QCheckBox>("VIASideband")->isChecked(), c.sidebandTicked);
        EXPECT_EQ(bytes("Turbo"), c.turboAfter);
        EXPECT_EQ(bytes("SideBand"), c.sideBand);
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

TEST_F(ViaPageTest, ControlsStoreTheirFlags) {
    put("Turbo", RegBinary, std::string("\x01\x00", 2));
    createForm();
    showPage("TabSheet2", "TabSheet10");
    click("VIAStandard");
    EXPECT_EQ(bytes("Turbo"), std::string("\x00\x00", 2));
    click("VIATurbo");
    EXPECT_EQ(bytes("Turbo"), std::string("\x01\x00", 2));
    put("Turbo", RegBinary, "\x01");
    click("VIATurbo"); // already selected
    EXPECT_EQ(bytes("Turbo"), "\x01");

    click("VIASideband");
    EXPECT_EQ(bytes("SideBand"), std::string("\x01\x00", 2));
    // Another program clears it; reading only ever ticks the box.
    put("SideBand", RegBinary, std::string("\x00\x00", 2));
    showRegistryPage();
    EXPECT_TRUE(find<QCheckBox>("VIASideband")->isChecked());
    EXPECT_EQ(bytes("SideBand"), std::string("\x00\x00", 2));
    TSettingsAccessor(store).RemovePath(ViaKey);
    click("VIASideband");
    EXPECT_EQ(bytes("SideBand"), std::string("\x00\x00", 2));
}

TEST_F(ViaPageTest, WrongKindOrLengthStopsReadingAndKeepsTheControls) {
    const std::pair<const char*, std::string> cases[] = {
        {"Turbo", std::string("\x00\x00\x00", 3)},
        {"SideBand", "text"},
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        form.reset();
        dialogs.shown.clear();
        TSettingsAccessor(store).RemovePath(ViaKey);
        put(name, data.size() == 3 ? RegBinary : RegString, data);
        createForm();
        showRegistryPage();
        const std::string wrongKind = std::string("'").append(name).append("' のデータ型が不正です.");
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{wrongKind});
        EXPECT_TRUE(find<QRadioButton>("VIATurbo")->isChecked());
        EXPECT_FALSE(find<QCheckBox>("VIASideband")->isChecked());
        EXPECT_EQ(bytes(name == std::string("Turbo") ? "SideBand" : "Turbo"), "-");
    }
}

} // namespace
