// The handler guard: one error box per error, and one per chain of handlers that set each other's
// controls.
#include "Guard.h"

#include "Dialogs.h"
#include "Failure.h"
#include "Fakes.h"
#include "RegistryFileStore.h"
#include "SettingsAccessor.h"
#include "StoreError.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

using namespace kv;

namespace {

[[noreturn]] void failStore() {
    throw Failure(storeFailed("DisableHyperZ"));
}

TEST(Guard, ShowsTheErrorUnderTheApplicationTitleAndGoesOn) {
    test::ScriptedDialogs dialogs;
    Guard guard(dialogs);
    bool after = false;
    guard.run(failStore);
    guard.run([&] { after = true; });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "ATI Kavendel");
    EXPECT_EQ(dialogs.shown[0].text, "'DisableHyperZ' の設定に失敗しました.");
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::Error);
    EXPECT_TRUE(after);
}

// A store the disk refuses: the box keeps its exact text, and the system's words go under it.
TEST(Guard, AFailedStoreShowsTheSystemsReasonUnderTheBoxText) {
    const TemporaryFolder dir;
    const auto file = dir.path() / "registry.reg";
    std::ofstream(file, std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n";
    FileCalls calls;
    calls.fsync = [](int) {
        errno = ENOSPC;
        return -1;
    };
    const auto store = RegistryFileStore::open(file, calls);
    test::ScriptedDialogs dialogs;
    Guard guard(dialogs);
    guard.run([&] {
        TSettingsAccessor reg(*store);
        reg.OpenPathForReading("\\SOFTWARE");
        reg.StoreNumber("DisableHyperZ", 1);
    });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "'DisableHyperZ' の設定に失敗しました.");
    EXPECT_EQ(dialogs.shown[0].reason,
              file.string() + ": ディスクに書き込めません: " + std::strerror(ENOSPC));
}

// A handler sets a control whose own handler fails: the error ends the setter too, one box.
TEST(Guard, AFailingHandlerSetByProgramEndsTheChainWithOneBox) {
    test::ScriptedDialogs dialogs;
    Guard guard(dialogs);
    int controlsSet = 0;
    guard.run([&] {
        for (int i = 0; i < 3; ++i) {
            guard.setByProgram([&] { guard.run([&] { ++controlsSet, failStore(); }); });
        }
    });
    EXPECT_EQ(controlsSet, 1);
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{"'DisableHyperZ' の設定に失敗しました."});
    // The guard is clear again for the next handler.
    guard.run([&] { guard.setByProgram([] {}); });
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

// A nested error that no setter picked up is still shown, ahead of the handler's own.
TEST(Guard, ANestedErrorOutsideASetterIsShownFirst) {
    test::ScriptedDialogs dialogs;
    Guard guard(dialogs);
    guard.run([&] {
        guard.run([] { throw std::runtime_error("first"); });
        throw std::runtime_error("second");
    });
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"first.", "second."}));
}

TEST(Guard, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"abc", "abc."},   {"abc.", "abc."}, {"abc!", "abc!"},      {"abc-", "abc-"},
        {"abc/", "abc/."}, {"", ""},         {"終了。", "終了。."},
    };
    for (const auto& [message, shown] : rows)
        EXPECT_EQ(errorBoxText(message), shown) << message;
}

} // namespace
