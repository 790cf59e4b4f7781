// The summary page's uninstall button and version button, driven through the real window.
#include "FormFixture.h"
#include "Uninstall.h"
#include "ver.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace kv;
using namespace kv::test;

namespace {

const std::string DriverKey = "\\SOFTWARE\\ATI Technologies\\Driver\\0000";
const std::string DisplayKey = "\\System\\CurrentControlSet\\Services\\Class\\Display\\0000";
const std::string OtherDisplayKey = "\\System\\CurrentControlSet\\Services\\Class\\Display\\0001";
const std::string WindowsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "[Version]\r\n";
}

class UninstallTest : public FormFixture {
protected:
    fs::path drive() const { return machine.dir() / "drive_c"; }
    bool present(const std::string& path) {
        TSettingsAccessor reg(activeStore());
        return reg.PathExists(path);
    }
    // An installed driver: its keys, a display class key that discovery accepts, and a sibling.
    void installDriver() {
        putText(RootKey::LocalMachine, DriverKey + "\\atidxhal", "DisableHyperZ", "1");
        putText(RootKey::LocalMachine, "\\SOFTWARE\\ATI Technologies\\CDS\\0000\\0\\Memory", "Size", "32.0");
        putText(RootKey::LocalMachine, DisplayKey, "InfSection", "R6_AGP_ENU");
        putText(RootKey::LocalMachine, DisplayKey + "\\DEFAULT", "drv", "ati2drad.drv");
        putText(RootKey::LocalMachine, OtherDisplayKey, "DriverDesc", "Other card");
    }
};

TEST_F(UninstallTest, CancelLeavesEverything) {
    installDriver();
    putText(RootKey::LocalMachine, WindowsKey, "SystemRoot", "C:\\WINDOWS");
    touch(drive() / "WINDOWS/INF/ATI_9XAA.INF");
    createForm();
    dialogs.answers = {false};
    form->uninstallClick();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "どうする？");
    EXPECT_EQ(dialogs.shown[0].text, "ドライバをアンインストールしますか？");
    EXPECT_TRUE(dialogs.shown[0].confirm);
    EXPECT_TRUE(present(DriverKey + "\\atidxhal"));
    EXPECT_TRUE(present(DisplayKey));
    EXPECT_TRUE(fs::exists(drive() / "WINDOWS/INF/ATI_9XAA.INF"));
}

TEST_F(UninstallTest, NothingInstalledFinishesWithoutAMessage) {
    createForm();
    dialogs.answers = {true};
    form->uninstallClick();
    EXPECT_EQ(dialogs.shown.size(), 1u) << ::testing::PrintToString(dialogs.texts());
}

TEST_F(UninstallTest, RemovesTheKeysAndExactlyThePresentInfFiles) {
    installDriver();
    putText(RootKey::LocalMachine, WindowsKey, "SystemRoot", "C:\\WINDOWS");
    // Case differs from the names asked for, as a FAT drive copied from Windows may have it.
    touch(drive() / "Windows/inf/ati_9xaa.inf");
    touch(drive() / "Windows/inf/ATIXBAR.INF");
    touch(drive() / "Windows/inf/ATI_9XAX.INF");                  // not one of ours
    fs::create_directories(drive() / "Windows/inf/ATIVIDIN.INF"); // a folder is no file
    touch(drive() / "Windows/inf/ATITUNEP.INF");                  // read-only: DeleteFile refuses it
    fs::permissions(drive() / "Windows/inf/ATITUNEP.INF", fs::perms::owner_read | fs::perms::group_read);
    createForm();
    ASSERT_EQ(form->values().displayClassKeyPath, DisplayKey);
    dialogs.answers = {true};
    form->uninstallClick();

    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_FALSE(present("\\SOFTWARE\\ATI Technologies"));
    EXPECT_FALSE(present(DisplayKey));
    EXPECT_TRUE(present(OtherDisplayKey));
    EXPECT_TRUE(present(WindowsKey));
    EXPECT_FALSE(fs::exists(drive() / "Windows/inf/ati_9xaa.inf"));
    EXPECT_FALSE(fs::exists(drive() / "Windows/inf/ATIXBAR.INF"));
    EXPECT_TRUE(fs::exists(drive() / "Windows/inf/ATI_9XAX.INF"));
    EXPECT_TRUE(fs::is_directory(drive() / "Windows/inf/ATIVIDIN.INF"));
    EXPECT_TRUE(fs::exists(drive() / "Windows/inf/ATITUNEP.INF"));

    // The keys come back when a setting is stored again.
    putText(RootKey::LocalMachine, form->values().driverKeyPath + "\\atidxhal", "DisableHyperZ", "0");
    EXPECT_EQ(text(RootKey::LocalMachine, DriverKey + "\\atidxhal", "DisableHyperZ"), "0");
}

// Over registry.reg itself, with a disk that can fail, or that notes what is on it at each write.
class UninstallOnRegistryFileTest : public UninstallTest {
protected:
    void SetUp() override {
        installDriver();
        putText(RootKey::LocalMachine, WindowsKey, "SystemRoot", "C:\\WINDOWS");
        touch(inf());
    }
    // The store folds its file when released, through calls that use this fixture's members.
    void TearDown() override {
        form.reset();
        fileStore.reset();
    }
    fs::path inf() const { return drive() / "WINDOWS/INF/ATI_9XAA.INF"; }
    bool presentOnDisk(const std::string& path) {
        auto disk = RegistryFileStore::open(machine.registryFile());
        TSettingsAccessor reg(*disk);
        return reg.PathExists(path);
    }
    void uninstall() {
        createForm();
        infAtEachWrite.clear(); // start-up's own stores
        dialogs.answers = {true};
        form->uninstallClick();
    }
    std::vector<bool> infAtEachWrite; // whether the INF file was there, at each write
};

TEST_F(UninstallOnRegistryFileTest, TheKeysAreOffTheDiskBeforeAnyFileIsDeleted) {
    FileCalls calls;
    calls.write = [this](int fd, const char* data, std::size_t size) {
        infAtEachWrite.push_back(fs::exists(inf()));
        return ::write(fd, data, size);
    };
    useRegistryFile(calls);
    uninstall();
    EXPECT_EQ(infAtEachWrite, (std::vector<bool>{true, true})); // one removal each, files still there
    EXPECT_FALSE(presentOnDisk("\\SOFTWARE\\ATI Technologies"));
    EXPECT_FALSE(presentOnDisk(DisplayKey));
    EXPECT_FALSE(fs::exists(inf()));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(UninstallOnRegistryFileTest, ARemovalThatCannotBeWrittenShowsNoBoxAndKeepsTheKeys) {
    FileCalls calls;
    calls.write = [](int, const char*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    useRegistryFile(calls);
    uninstall();
    ASSERT_EQ(dialogs.shown.size(), 1u) << ::testing::PrintToString(dialogs.texts()); // the question
    EXPECT_TRUE(present(DriverKey + "\\atidxhal"));
    EXPECT_TRUE(present(DisplayKey));
    EXPECT_TRUE(presentOnDisk(DriverKey + "\\atidxhal"));
    EXPECT_TRUE(presentOnDisk(DisplayKey));
}

TEST_F(UninstallTest, NoWindowsVersionKeyDeletesNoFiles) {
    touch(drive() / "INF/ATI_9XAA.INF");
    createForm();
    dialogs.answers = {true};
    form->uninstallClick();
    EXPECT_TRUE(fs::exists(drive() / "INF/ATI_9XAA.INF"));
    // With the key but an empty system folder, "\INF\" is at the root of drive C.
    putText(RootKey::LocalMachine, WindowsKey, "VersionNumber", "4.10.2222");
    dialogs.answers = {true};
    form->uninstallClick();
    EXPECT_FALSE(fs::exists(drive() / "INF/ATI_9XAA.INF"));
}

// The machine's change observer sees each file before its deletion; what it throws stops it.
TEST_F(UninstallTest, AFileIsDeletedOnlyOnceTheChangeObserverAllowsIt) {
    putText(RootKey::LocalMachine, WindowsKey, "SystemRoot", "C:\\WINDOWS");
    touch(drive() / "WINDOWS/INF/ATI_9XAA.INF");
    std::vector<fs::path> seen;
    machine.setChangeObserver([&](const fs::path& file) {
        seen.push_back(file);
        throw std::runtime_error("no snapshot");
    });
    EXPECT_THROW(removeDriverTraces(store, machine, ""), std::runtime_error);
    EXPECT_TRUE(fs::exists(drive() / "WINDOWS/INF/ATI_9XAA.INF"));
    EXPECT_EQ(seen, std::vector<fs::path>{drive() / "WINDOWS/INF/ATI_9XAA.INF"});
    machine.setChangeObserver({});
    removeDriverTraces(store, machine, "");
    EXPECT_FALSE(fs::exists(drive() / "WINDOWS/INF/ATI_9XAA.INF"));
}

TEST_F(UninstallTest, ASystemRootLeadingOutOfTheMachineDeletesNothingThere) {
    QTemporaryDir outside;
    const fs::path victim = fs::path(outside.path().toStdString()) / "INF" / "ATI_9XAA.INF";
    touch(victim);
    touch(machine.dir() / "INF" / "ATI_9XAA.INF"); // beside drive_c, outside every drive
    fs::create_directory_symlink(outside.path().toStdString(), drive() / "LINK");
    const std::string rows[] = {
        "C:\\LINK",        "C:\\..", "C:\\WINDOWS\\..\\..",
        "\\\\host\\share", "..\\..", outside.path().toStdString() + "\\..\\..\\..\\..\\..\\..",
    };
    createForm();
    for (const std::string& systemRoot : rows) {
        putText(RootKey::LocalMachine, WindowsKey, "SystemRoot", systemRoot);
        dialogs.answers = {true};
        form->uninstallClick();
        EXPECT_TRUE(fs::exists(victim)) << systemRoot;
        EXPECT_TRUE(fs::exists(machine.dir() / "INF" / "ATI_9XAA.INF")) << systemRoot;
    }
    EXPECT_EQ(dialogs.shown.size(), std::size(rows));
}

TEST_F(UninstallTest, ButtonStaysDisabledAndRunsTheHandlerWhenClicked) {
    createForm();
    auto* button = find<QPushButton>("uninstall");
    EXPECT_FALSE(button->isEnabled());
    button->setEnabled(true); // as no part of the program does
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"ドライバをアンインストールしますか？"});
}

TEST_F(UninstallTest, VersionButtonShowsTheAboutBoxModallyEachTime) {
    createForm();
    TAboutBox about(services, form.get());
    form->setAboutBox(&about);
    int shown = 0;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            if (QApplication::activeModalWidget() == &about)
                ++shown;
            QTest::mouseClick(about.OKButton, Qt::LeftButton);
        });
        QTest::mouseClick(find<QPushButton>("Button25"), Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());
    }
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
