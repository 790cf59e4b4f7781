// The interface language: how it is chosen, and the window at English showing no text left in
// Japanese, the source language.
#include "Language.h"
#include "CommandLine.h"
#include "Failure.h"
#include "FirstRunDialog.h"
#include "FormFixture.h"
#include "GameFiles.h"
#include "RegistryDocument.h"
#include "StoreError.h"
#include "Translation.h"
#include "UserConfig.h"
#include "ver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest/QTest>

#include <fstream>

using namespace kv;

namespace {

struct ChoiceRow {
    const char* label;
    QStringList arguments;
    const char* conf; // nullptr: no configuration file
    Language expected;
};

const ChoiceRow ChoiceRows[] = {
    {"NothingChosenIsJapanese", {}, nullptr, Language::Japanese},
    {"EmptyConfIsJapanese", {}, "", Language::Japanese},
    {"ConfChoosesEnglish", {}, "lang=en\n", Language::English},
    {"ConfWithCommentsAndSpaces", {}, "# interface\n  lang = en  \n", Language::English},
    {"CommentedOutLineIsIgnored", {}, "#lang=en\n", Language::Japanese},
    {"UnknownCodeIsIgnored", {}, "lang=fr\n", Language::Japanese},
    {"UnknownCodeKeepsAnEarlierOne", {}, "lang=en\nlang=fr\n", Language::English},
    {"FlagChoosesEnglish", {"--lang", "en"}, nullptr, Language::English},
    {"FlagWithEqualsSign", {"--lang=en"}, nullptr, Language::English},
    {"FlagOverridesConf", {"--lang", "ja"}, "lang=en\n", Language::Japanese},
};

class LanguageChoiceTest : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(LanguageChoiceTest, FlagThenConfThenJapanese) {
    const ChoiceRow& row = GetParam();
    QTemporaryDir dir;
    const std::filesystem::path conf = dir.filePath("kavendel.conf").toStdString();
    if (row.conf)
        std::ofstream(conf) << row.conf;
    const CommandLine line = parseCommandLine(QStringList{"kavendel"} + row.arguments);
    ASSERT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(chosenLanguage(line.language, UserConfig(conf)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, LanguageChoiceTest, ::testing::ValuesIn(ChoiceRows),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(LanguageChoice, RefusesAMissingOrUnknownLanguage) {
    for (const QStringList& arguments : {QStringList{"kavendel", "--lang"}, {"kavendel", "--lang", "de"}})
        EXPECT_FALSE(parseCommandLine(arguments).error.isEmpty()) << arguments.join(u' ').toStdString();
}

// Sets or (for nullptr) unsets a variable, and puts it back as it was when done.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
        , m_was(qEnvironmentVariableIsSet(name))
        , m_saved(qgetenv(name)) {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedVariable() { m_was ? qputenv(m_name, m_saved) : qunsetenv(m_name); }

private:
    const char* m_name;
    bool m_was;
    QByteArray m_saved;
};

TEST(LanguageChoice, ConfigurationFileFollowsXdgConfigHomeThenHomeAndIsNeverRelative) {
    const struct {
        const char* xdgConfigHome;
        const char* home;
        const char* expected; // "": no settings file
    } rows[] = {
        {"/cfg", "/home/u", "/cfg/kavendel/kavendel.conf"},
        {"cfg", "/home/u", "/home/u/.config/kavendel/kavendel.conf"},
        {nullptr, "home/u", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& row : rows) {
        const ScopedVariable xdg("XDG_CONFIG_HOME", row.xdgConfigHome), home("HOME", row.home);
        EXPECT_EQ(UserConfig::defaultFile(), std::filesystem::path(row.expected)) << row.expected;
    }
    EXPECT_THROW(UserConfig({}).setValue("lang", "en"), Failure);
}

// Kana, kanji and full-width forms: a text that still holds one was not translated.
bool hasJapanese(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
    });
}

// Everything a control shows: its caption, its hints, its items and its tabs.
QStringList shownTexts(const QWidget* w) {
    QStringList texts{w->toolTip(), w->statusTip(), w->windowTitle()};
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        texts << button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        texts << label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        texts << group->title();
    if (const auto* list = qobject_cast<const QComboBox*>(w))
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    if (const auto* tabs = qobject_cast<const QTabWidget*>(w))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    return texts;
}

// The texts among the widgets' that are still Japanese, each after its widget's name.
QStringList untranslatedTexts(const QList<QWidget*>& widgets) {
    QStringList untranslated;
    for (const QWidget* w : widgets)
        for (const QString& text : shownTexts(w))
            if (hasJapanese(text))
                untranslated << w->objectName() + QStringLiteral(": ") + text;
    return untranslated;
}

class EnglishWindowTest : public test::FormFixture {
protected:
    void SetUp() override { ASSERT_TRUE(installEnglish(english)); }
    void TearDown() override { QCoreApplication::removeTranslator(&english); }

    QTranslator english;
};

TEST_F(EnglishWindowTest, EveryTextTheWindowShowsIsTranslated) {
    const std::string display = "\\System\\CurrentControlSet\\Services\\Class\\Display\\0000";
    putText(RootKey::LocalMachine, display, "InfSection", "R6_AGP_ENU");
    putText(RootKey::LocalMachine, display, "DriverDesc", "RADEON DDR");
    createForm();
    TAboutBox about(services, form.get());
    // Each page's show handler fills its labels; the about box's picture shows a box.
    for (int i = 0; i < form->PageControl1->count(); ++i)
        form->PageControl1->setCurrentIndex(i);
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    for (int i = 0; i < form->PageControl2->count(); ++i)
        form->PageControl2->setCurrentIndex(i);
    QTest::mouseClick(about.ProgramIcon, Qt::LeftButton);

    QList<QWidget*> widgets = form->findChildren<QWidget*>();
    widgets << form.get();
    QStringList untranslated = untranslatedTexts(widgets);
    QStringList clipped;
    for (const QWidget* w : widgets) {
        // The layout is the Japanese one: each English caption and item must fit the control laid
        // out for it. These controls size their hint to their widest text.
        const bool sizedToText = qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
                                 qobject_cast<const QComboBox*>(w);
        if (sizedToText && w->sizeHint().width() > w->width())
            clipped << w->objectName();
        // A label takes its text's width; it must not run under the control beside it.
        if (qobject_cast<const QLabel*>(w) && !w->isHidden() && w->parentWidget())
            for (const QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (other != w && !qobject_cast<const QLabel*>(other) && !other->isHidden() &&
                    other->geometry().contains(other->geometry().center().x(), w->geometry().center().y()) &&
                    w->geometry().right() >= other->x() && w->x() < other->x())
                    clipped << w->objectName() + QStringLiteral(" runs under ") + other->objectName();
    }
    for (const auto& box : dialogs.shown)
        for (const std::string& text : {box.caption, box.text})
            if (hasJapanese(QString::fromStdString(text)))
                untranslated << QStringLiteral("box: ") + QString::fromStdString(text);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(u'\n').toStdString();
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(u'\n').toStdString();
    EXPECT_EQ(form->PageControl1->tabText(0), QStringLiteral("General"));
}

TEST_F(EnglishWindowTest, TheFirstRunDialogIsInEnglishToo) {
    for (const bool isNew : {true, false}) {
        FirstRunDialog dialog("/m", isNew);
        const QList<QWidget*> widgets = dialog.findChildren<QWidget*>();
        ASSERT_EQ(dialog.findChildren<QPushButton*>().size(), 6);
        const QStringList untranslated = untranslatedTexts(widgets);
        EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(u'\n').toStdString();
    }
}

struct ErrorRow {
    const char* label;
    std::function<void()> raise;
    const char* english;
};

const ErrorRow ErrorRows[] = {
    {"StoreError", [] { throw Failure(wrongType("Size")); }, "'Size' has the wrong data type"},
    {"GameFile", [] { throw Failure(gameFiles::cannotOpen("C:\\Q3\\q3config.cfg")); },
     "Cannot open the file C:\\Q3\\q3config.cfg"},
    {"RegistryFile", [] { RegistryDocument::parse("REGEDIT5\r\n", "m/registry.reg"); },
     "m/registry.reg: the first line is not REGEDIT4"},
};

class EnglishErrorTest : public EnglishWindowTest, public ::testing::WithParamInterface<ErrorRow> {};

TEST_P(EnglishErrorTest, ShowsTheProgramsOwnErrorsInEnglishWithTheirNames) {
    try {
        GetParam().raise();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(shownText(e), QString::fromUtf8(GetParam().english));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, EnglishErrorTest, ::testing::ValuesIn(ErrorRows),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EnglishWindowTest, MalformedLinesKeepTheirPlaceAndTranslateTheirReason) {
    const auto doc = RegistryDocument::parse("REGEDIT4\r\n[HKEY_NOWHERE\\X]\r\n");
    ASSERT_EQ(doc.malformedLines().size(), 1u);
    EXPECT_EQ(shownText(doc.malformedLines()[0]),
              QStringLiteral("registry.reg:2: unknown root key 'HKEY_NOWHERE'"));
}

} // namespace
