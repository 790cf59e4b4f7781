#include "HandlerGuard.h"

#include "Fakes.h"
#include "StoreError.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(HandlerGuard, ShowsTheErrorUnderTheApplicationTitleAndGoesOn) {
    test::ScriptedDialogs dialogs;
    bool after = false;
    runGuarded(dialogs, [] { throw StoreError::storeFailed("DisableHyperZ"); });
    runGuarded(dialogs, [&] { after = true; });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("ATI Kavendel"));
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("'DisableHyperZ' の設定に失敗しました."));
    EXPECT_TRUE(after);
}

TEST(HandlerGuard, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(errorBoxText(QStringLiteral("abc")), QStringLiteral("abc."));
    EXPECT_EQ(errorBoxText(QStringLiteral("abc.")), QStringLiteral("abc."));
    EXPECT_EQ(errorBoxText(QStringLiteral("abc!")), QStringLiteral("abc!"));
    EXPECT_EQ(errorBoxText(QStringLiteral("abc-")), QStringLiteral("abc-"));
    EXPECT_EQ(errorBoxText(QStringLiteral("abc/")), QStringLiteral("abc/."));
    EXPECT_EQ(errorBoxText(QString()), QString());
}
