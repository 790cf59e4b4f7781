// The about window: the logo, the links through the launcher, the picture's message and closing.
#include "FormFixture.h"
#include "JpegDecoder.h"
#include "Logo.h"
#include "ver.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <set>

using namespace kv;
using namespace kv::test;

namespace {

class AboutBoxTest : public FormFixture {
protected:
    TAboutBox box{services};
};

TEST_F(AboutBoxTest, LogoIsOurProgressiveJpegDecodedAt102x51) {
    const auto bytes = logoJpeg();
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    // A progressive frame header (SOF2) and no baseline one (SOF0).
    const std::string data(bytes.begin(), bytes.end());
    EXPECT_NE(data.find("\xFF\xC2"), std::string::npos);
    EXPECT_EQ(data.find("\xFF\xC0"), std::string::npos);

    const QImage& logo = box.logo();
    ASSERT_EQ(logo.size(), QSize(102, 51));
    std::set<QRgb> colours;
    for (int y = 0; y < logo.height(); y += 3)
        for (int x = 0; x < logo.width(); x += 3)
            colours.insert(logo.pixel(x, y));
    EXPECT_GT(colours.size(), 20u) << "the logo decodes to a nearly blank picture";
    EXPECT_EQ(box.ProgramIcon->geometry(), QRect(8, 16, 102, 51));
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
}

TEST_F(AboutBoxTest, BytesThatAreNoJpegDecodeToNothing) {
    const unsigned char notJpeg[] = {'R', 'E', 'G', 'E', 'D', 'I', 'T', '4', '\r', '\n'};
    EXPECT_TRUE(decodeJpeg(notJpeg).isNull());
    const auto logo = logoJpeg();
    EXPECT_TRUE(decodeJpeg(logo.first(20)).isNull()) << "a header cut short";
    EXPECT_TRUE(decodeJpeg({}).isNull());
}

TEST_F(AboutBoxTest, LinksOpenTheirTargetsAndKeepTheWindowOpen) {
    struct Row {
        const char* label;
        const char* target;
        const char* hint;
    };
    const Row rows[] = {
        {"Label4", "https://kavendel.example.org/", "クリックするとホームページに行けます。"},
        {"Label6", "mailto:support@kavendel.example.org", "クリックしてメール送ってね。"},
        {"Label15", "https://kavendel.example.org/radeon/", ""},
    };
    box.show();
    QApplication::processEvents();
    for (const Row& row : rows) {
        launcher.opened.clear();
        auto* label = box.findChild<QLabel*>(QString::fromLatin1(row.label));
        ASSERT_NE(label, nullptr) << row.label;
        QTest::mouseClick(label, Qt::LeftButton);
        EXPECT_EQ(launcher.opened, QStringList{QString::fromUtf8(row.target)}) << row.label;
        EXPECT_TRUE(box.isVisible()) << row.label;
        EXPECT_EQ(label->toolTip(), QString::fromUtf8(row.hint)) << row.label;
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << row.label;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128)) << row.label;
        EXPECT_TRUE(QString::fromUtf8(row.target).endsWith(label->text())) << row.label;
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AboutBoxTest, APressOrAReleaseAloneIsNoClick) {
    box.show();
    QApplication::processEvents();
    for (QWidget* control :
         std::initializer_list<QWidget*>{box.Label4, box.Label6, box.Label15, box.ProgramIcon}) {
        QTest::mousePress(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(-4, control->height() / 2));
        QTest::mouseRelease(control, Qt::LeftButton); // without a press on it first
    }
    EXPECT_TRUE(launcher.opened.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AboutBoxTest, PictureShowsItsMessageAndTheWindowStays) {
    box.show();
    QApplication::processEvents();
    QTest::mouseClick(box.ProgramIcon, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("Radeon速いじょ～"));
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::Information);
    EXPECT_FALSE(dialogs.shown[0].confirm);
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(launcher.opened.isEmpty());
}

TEST_F(AboutBoxTest, EnterPressesOkAndClosesTheModalWindow) {
    QWidget* modal = nullptr;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_EQ(modal, &box);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(box.OKButton->isDefault());
}

} // namespace
