// The games page in the real window: the scan, the selection and the rewrite button.
#include "Failure.h"
#include "FileContents.h"
#include "FormFixture.h"
#include "GameTable.h"
#include "ImageList.h"
#include "StoreError.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>

using namespace kv;
using namespace kv::test;
namespace fs = std::filesystem;

namespace {

const std::string Card(FullCardLine);
const std::string UserList = "\\Software\\Electronic Arts\\3D Data";
const std::string MachineList = "\\SOFTWARE\\Electronic Arts\\3D Data";

class GamesPageTest : public FormFixture {
protected:
    // Registers the game as installed in C:\Games\<title>, with its icon fixture when it has one.
    void install(const char* title, bool withIcon = true) {
        const GameRow& game = *findGame(title);
        putText(RootKey::LocalMachine, std::string(game.gameKey), std::string(game.installDirValue),
                "C:\\Games\\" + std::string(title));
        if (withIcon && !game.iconFile.empty())
            fs::copy_file(fs::path(KAVENDEL_TEST_DATA "/games") / std::string(game.iconFile.substr(1)),
                          hostPath(title, std::string(game.iconFile)), fs::copy_options::overwrite_existing);
    }
    fs::path hostPath(const char* title, const std::string& file) const {
        std::string relative = file;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const fs::path path = machine.dir() / "drive_c" / "Games" / title / relative.substr(1);
        fs::create_directories(path.parent_path());
        return path;
    }
    void writeConfig(const char* title, const std::string& bytes) {
        std::ofstream(hostPath(title, std::string(findGame(title)->configFile)), std::ios::binary) << bytes;
    }
    std::string config(const char* title) {
        return fileContents(hostPath(title, std::string(findGame(title)->configFile)));
    }
    void openPage() {
        if (!form)
            createForm();
        showPage("TabSheet1");
        showPage("TabSheet3");
    }
    void clickItem(const char* title) {
        list()->clearSelection();
        const auto items = list()->findItems(QString::fromLatin1(title), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << title;
        list()->scrollToItem(items[0]);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(items[0]).center());
    }
    void clickButton2() { QTest::mouseClick(find<QPushButton>("Button2"), Qt::LeftButton); }
    QStringList captions() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    QColor iconColour(int item) {
        return list()->item(item)->icon().pixmap(32, 32).toImage().pixelColor(16, 16);
    }
    QListWidget* list() { return find<QListWidget>("ListView1"); }
    QPlainTextEdit* memo() { return find<QPlainTextEdit>("Memo1"); }
    bool button2() { return find<QPushButton>("Button2")->isEnabled(); }
};

TEST_F(GamesPageTest, ListsNothingOrOnlyFifaWithTheFootball) {
    openPage();
    EXPECT_TRUE(captions().isEmpty());
    EXPECT_EQ(form->values().gamesPageState, 2);
    EXPECT_EQ(find<QLabel>("Label19")->text(), QString());
    EXPECT_FALSE(button2());
    EXPECT_GT(find<QLabel>("Image1")->y(), form->TabSheet3->height());

    install("FIFA 2000");
    form->values().gamesPageState = 1; // as at the next start
    openPage();
    EXPECT_EQ(captions(), QStringList{"FIFA 2000"});
    EXPECT_EQ(list()->item(0)->icon().pixmap(32, 32).toImage(),
              QPixmap::fromImage(footballPicture()).toImage());

    QTest::mouseClick(find<QPushButton>("Button3"), Qt::LeftButton); // the window's shared exit
    EXPECT_FALSE(form->isVisible());
}

TEST_F(GamesPageTest, ListsAllFiveInOrderWithTheirIconsOnce) {
    for (const GameRow& game : GameTable)
        install(game.title.data());
    writeConfig("Euro 2000", "x\r\n");
    openPage();
    EXPECT_EQ(captions(), QStringList({"Euro 2000", "Need For Speed Porsche Unleashed",
                                       "Need For Speed High Stakes", "NBA Live 2000", "FIFA 2000"}));
    // The Porsche icon holds a 16 x 16 black image and a 32 x 32 green one: the 32 x 32 one shows.
    EXPECT_EQ(iconColour(0), QColor(Qt::red));
    EXPECT_EQ(iconColour(1), QColor(Qt::green));
    EXPECT_EQ(iconColour(2), QColor(Qt::blue));
    EXPECT_EQ(iconColour(3), QColor(Qt::yellow));
    EXPECT_EQ(iconColour(4), footballPicture().pixelColor(16, 16));
    EXPECT_EQ(form->findChild<ImageList*>("IconList")->count(), 5);

    clickItem("Euro 2000");
    install("Euro 2000", false); // even a broken icon is not read again
    fs::remove(hostPath("Euro 2000", "\\euro2000.ico"));
    openPage();
    EXPECT_EQ(captions().size(), 5);
    ASSERT_EQ(list()->selectedItems().size(), 1);
    EXPECT_EQ(list()->selectedItems()[0]->text(), "Euro 2000");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GamesPageTest, IconErrorsStopTheScanUntilTheNextShowing) {
    install("Euro 2000", false);
    install("NBA Live 2000");
    openPage();
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"ファイル C:\\Games\\Euro 2000\\euro2000.ico は開けません."});
    EXPECT_EQ(form->values().gamesPageState, 1);

    fs::copy_file(KAVENDEL_TEST_DATA "/games/not_an_icon.ico", hostPath("Euro 2000", "\\EURO2000.ICO"));
    openPage();
    EXPECT_EQ(dialogs.texts().at(1), "アイコンイメージが不正です.");
    EXPECT_EQ(form->values().gamesPageState, 1);

    fs::remove(hostPath("Euro 2000", "\\EURO2000.ICO"));
    install("Euro 2000");
    openPage();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(captions(), QStringList({"Euro 2000", "NBA Live 2000"}));
    EXPECT_EQ(form->findChild<ImageList*>("IconList")->count(), 3);
    EXPECT_EQ(form->values().gamesPageState, 2);
}

TEST_F(GamesPageTest, StartUpThatEndedEarlyLeavesThePageEmpty) {
    putNumber(RootKey::LocalMachine, "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", 64);
    install("FIFA 2000");
    openPage();
    EXPECT_TRUE(captions().isEmpty());
    EXPECT_EQ(form->values().gamesPageState, 0);
}

TEST_F(GamesPageTest, SelectionTestsTheLineAndOffersTheRewrite) {
    install("Euro 2000");
    install("Need For Speed High Stakes");
    openPage();
    struct Row {
        const char* title;
        std::string file;
        bool offered;
    };
    const std::string fiveAfter = "\r\n1\r\n2\r\n3\r\n4\r\n5\r\n";
    const Row rows[] = {
        {"Euro 2000", "[3D]\r\n" + Card + "\r\n", false},
        {"Euro 2000", "[3D]\n" + Card, false},
        {"Euro 2000", Card + "\r\nCARD_Other /I\r\n", true},
        {"Need For Speed High Stakes", "CARD_ATI Radeon256" + fiveAfter, false},
        {"Need For Speed High Stakes", "CARD_ATI Radeon256\r\nx" + fiveAfter, true},
    };
    for (const Row& row : rows) {
        writeConfig(row.title, row.file);
        clickItem(row.title);
        EXPECT_EQ(find<QLabel>("Label19")->text(), row.title);
        EXPECT_EQ(button2(), row.offered) << row.title << ": " << row.file;
    }
    EXPECT_EQ(find<QLabel>("Label21")->text(), "Electronic Arts");

    // LF-only, CP932 and no final break: shown line by line.
    fs::copy_file(KAVENDEL_TEST_DATA "/games/3dsetup.ini", hostPath("Euro 2000", "\\3DSetup\\3dsetup.ini"),
                  fs::copy_options::overwrite_existing);
    clickItem("Euro 2000");
    EXPECT_EQ(memo()->toPlainText(), "[3DSetup]\nDriver=d3d\n; ソフト\nCARD_Other /I");
    EXPECT_TRUE(button2());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(GamesPageTest, SelectionErrorsAndEmptyClicksKeepThePage) {
    install("Euro 2000");
    install("NBA Live 2000");
    writeConfig("Euro 2000", "x\r\n");
    openPage();
    clickItem("Euro 2000");
    clickItem("NBA Live 2000"); // no configuration file
    EXPECT_EQ(dialogs.texts().at(0), "ファイル C:\\Games\\NBA Live 2000\\setup\\3dsetup.ini は開けません.");
    EXPECT_EQ(find<QLabel>("Label19")->text(), "NBA Live 2000");
    EXPECT_EQ(memo()->toPlainText(), "x\n");
    EXPECT_TRUE(button2());

    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(48, list()->viewport()->height() - 4));
    EXPECT_EQ(find<QLabel>("Label19")->text(), "NBA Live 2000");
    EXPECT_TRUE(button2());

    putNumber(RootKey::LocalMachine, std::string(findGame("Euro 2000")->gameKey), "Install Dir", 1);
    clickItem("Euro 2000");
    EXPECT_EQ(dialogs.texts().at(1), "'Install Dir' のデータ型が不正です.");
}

TEST_F(GamesPageTest, RewriteAppendsTheCardLineAndRegistersInTheUserList) {
    install("Euro 2000");
    writeConfig("Euro 2000", "[3D]\r\nCARD_Other /I");
    putNumber(RootKey::CurrentUser, UserList, "Cards", 3);
    openPage();
    clickItem("Euro 2000");
    clickButton2();
    EXPECT_EQ(config("Euro 2000"), "[3D]\r\nCARD_Other /I\r\n" + Card);
    EXPECT_EQ(memo()->toPlainText(), QString::fromStdString("[3D]\nCARD_Other /I\n" + Card));
    EXPECT_EQ(number(RootKey::CurrentUser, UserList, "Cards"), 4);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "情報");
    EXPECT_EQ(dialogs.shown[0].text, "レジストリ情報を書き換えました。");
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::None);
    EXPECT_FALSE(button2());

    // The file gained the line since it was selected: nothing is written, no list is chosen.
    writeConfig("Euro 2000", "x\r\n");
    clickItem("Euro 2000");
    writeConfig("Euro 2000", Card + "\r\n");
    clickButton2();
    EXPECT_EQ(dialogs.shown.back().caption, "エラー");
    EXPECT_EQ(dialogs.shown.back().text, "すでにRadeon用の設定は登録されています。");
    EXPECT_EQ(config("Euro 2000"), Card + "\r\n");
    EXPECT_EQ(number(RootKey::CurrentUser, UserList, "Cards"), 4);
    EXPECT_FALSE(button2());
}

TEST_F(GamesPageTest, RewriteInsertsForHighStakesAndRegistersInTheMachineList) {
    install("Need For Speed High Stakes");
    fs::copy_file(KAVENDEL_TEST_DATA "/games/3ddata.dat",
                  hostPath("Need For Speed High Stakes", "\\3dSetup\\3ddata.dat"));
    putNumber(RootKey::LocalMachine, MachineList, "Cards", 3);
    openPage();
    clickItem("Need For Speed High Stakes");
    ASSERT_TRUE(button2());
    clickButton2();
    EXPECT_EQ(config("Need For Speed High Stakes"),
              "; 3D data\r\nCARD_Generic\r\nCARD_ATI Radeon256\r\n; \x95\x5c\x8e\xa6 display\r\nMODE 640\r\n"
              "CARD_ATI Radeon256\r\nMODE 800\r\nMODE 1024\r\nTEX 16\r\nTEX 32\r\nEND\r\n");
    EXPECT_EQ(number(RootKey::LocalMachine, MachineList, "4"), 4);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"レジストリ情報を書き換えました。"});
}

TEST_F(GamesPageTest, RewriteWithoutAFileStep) {
    install("Need For Speed Porsche Unleashed");
    install("NBA Live 2000");
    writeConfig("Need For Speed Porsche Unleashed", "x\r\n");
    writeConfig("NBA Live 2000", "x\r\n");
    putNumber(RootKey::LocalMachine, MachineList, "Cards", 1);
    openPage();
    for (int round = 0; round < 2; ++round) {
        clickItem("Need For Speed Porsche Unleashed");
        clickButton2();
        EXPECT_EQ(memo()->toPlainText(), QString());
    }
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>({"レジストリ情報を書き換えました。",
                                                         "レジストリ情報は既に書き換えられてます。"}));
    EXPECT_EQ(number(RootKey::LocalMachine, MachineList, "Cards"), 2);

    clickItem("NBA Live 2000"); // the user list key does not exist
    clickButton2();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_FALSE(button2());
    EXPECT_EQ(number(RootKey::CurrentUser, UserList, "Cards"), std::nullopt);
}

TEST_F(GamesPageTest, RewriteWithNothingSelectedOrAReadOnlyFile) {
    install("Euro 2000");
    writeConfig("Euro 2000", "x\r\n");
    putNumber(RootKey::CurrentUser, UserList, "Cards", 3);
    openPage();
    clickItem("Euro 2000");
    list()->clearSelection();
    clickButton2();
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_FALSE(button2());
    EXPECT_EQ(config("Euro 2000"), "x\r\n");

    ::chmod(hostPath("Euro 2000", "\\3DSetup\\3dsetup.ini").c_str(), 0444);
    clickItem("Euro 2000");
    clickButton2();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{
                                   "ファイル C:\\Games\\Euro 2000\\3DSetup\\3dsetup.ini を作成できません."});
    EXPECT_EQ(config("Euro 2000"), "x\r\n");
    EXPECT_EQ(number(RootKey::CurrentUser, UserList, "Cards"), 3);
    EXPECT_TRUE(button2());
}

// Over registry.reg itself: each store is on disk when its call returns.
class GamesOnRegistryFileTest : public GamesPageTest {
protected:
    void SetUp() override {
        install("Euro 2000");
        writeConfig("Euro 2000", "x\r\n");
        putNumber(RootKey::CurrentUser, UserList, "Cards", 3);
        putNumber(RootKey::CurrentUser, UserList + "\\Sort Order", "1", 1);
    }
    // The store folds its file when released, through calls that use this fixture's members.
    void TearDown() override {
        form.reset();
        fileStore.reset();
    }
    void rewriteEuro2000() {
        openPage();
        clickItem("Euro 2000");
        clickButton2();
    }
    bool diskFull = true;
    // A value as the file on disk holds it now.
    std::optional<std::string> onDisk(const std::string& path, const std::string& name) {
        auto disk = RegistryFileStore::open(machine.registryFile());
        TSettingsAccessor reg(*disk);
        reg.SelectRoot(RootKey::CurrentUser);
        if (!reg.OpenPathForReading(path) || !reg.ValuePresent(name))
            return std::nullopt;
        return valueText(reg, name);
    }
    static std::string valueText(TSettingsAccessor& reg, const std::string& name) {
        try {
            return std::to_string(reg.LoadNumber(name));
        } catch (const Failure&) {
            return reg.LoadText(name);
        }
    }
};

TEST_F(GamesOnRegistryFileTest, TheSuccessBoxComesWithEveryStoreOnDisk) {
    useRegistryFile();
    std::vector<std::optional<std::string>> atTheBox;
    dialogs.onMessage = [&] {
        for (const auto& [path, name] : {std::pair{UserList, "Cards"},
                                         {UserList + "\\Card4", "Name"},
                                         {UserList + "\\Card4\\Type1", "VendorID"},
                                         {UserList + "\\Sort Order", "4"}})
            atTheBox.push_back(onDisk(path, name));
    };
    rewriteEuro2000();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"レジストリ情報を書き換えました。"});
    EXPECT_EQ(atTheBox, (std::vector<std::optional<std::string>>{"4", "ATI Radeon256", "4098", "4"}));
}

TEST_F(GamesOnRegistryFileTest, AStoreThatCannotBeWrittenEndsTheRewriteNamingItsValue) {
    FileCalls calls;
    calls.write = [this](int fd, const char* data, std::size_t size) -> ssize_t {
        if (diskFull && std::string_view(data, size).find("\"Group\"") != std::string_view::npos) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    };
    RegistryFileStore& file = useRegistryFile(calls);
    rewriteEuro2000();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"'Group' の設定に失敗しました."});
    EXPECT_EQ(onDisk(UserList, "Cards"), "4"); // stored before the failure, and kept
    EXPECT_EQ(onDisk(UserList + "\\Card4", "Group"), std::nullopt);
    EXPECT_EQ(config("Euro 2000"), "x\r\n" + Card + "\r\n"); // the file step came first

    // The failed value is not in memory either, so no later store writes it.
    diskFull = false;
    putText(RootKey::CurrentUser, UserList + "\\Card4", "Other", "1");
    EXPECT_EQ(text(RootKey::CurrentUser, UserList + "\\Card4", "Group"), std::nullopt);
    file.compact();
    EXPECT_EQ(onDisk(UserList + "\\Card4", "Group"), std::nullopt);
    EXPECT_EQ(onDisk(UserList + "\\Card4", "Other"), "1");
}

} // namespace
