// The window in English for a user whose languages put English first; in
// German, the language its texts are written in, for everyone else.

#include "window_fixture.h"

#include "desktop/language.h"

#include <QAccessible>
#include <QLocale>

namespace {

using desktop::Language;

TEST(LanguageChoice, EnglishOnlyWhenTheUserPutsItBeforeGerman)
{
    EXPECT_EQ(desktop::chooseLanguage({QStringLiteral("en-GB"), QStringLiteral("de-DE")}), Language::English);
    EXPECT_EQ(desktop::chooseLanguage({QStringLiteral("fr-FR"), QStringLiteral("en_US.UTF-8")}), Language::English);
    EXPECT_EQ(desktop::chooseLanguage(QLocale(QLocale::English, QLocale::Australia).uiLanguages()), Language::English);
    EXPECT_EQ(desktop::chooseLanguage({QStringLiteral("de-AT"), QStringLiteral("en-GB")}), Language::German);
    // Neither: the texts as written.
    EXPECT_EQ(desktop::chooseLanguage({QStringLiteral("fr-FR"), QStringLiteral("C")}), Language::German);
    EXPECT_EQ(desktop::chooseLanguage({}), Language::German);
}

// Qt's own texts follow too: the message boxes' standard buttons.
TEST(LanguageChoice, QtsOwnButtonsFollowTheLanguage)
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    {
        const desktop::Translations german(Language::German);
        EXPECT_TRUE(german.complete());
        EXPECT_EQ(cancel(), QStringLiteral("Abbrechen"));
    }
    const desktop::Translations english(Language::English);
    EXPECT_TRUE(english.complete());
    EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
}

class EnglishWindowTest : public WindowTest {
protected:
    const desktop::Translations english{desktop::chooseLanguage(QLocale(QLocale::English, QLocale::UnitedKingdom).uiLanguages())};
};

TEST_F(EnglishWindowTest, CaptionsListsAndMessagesInEnglish)
{
    ASSERT_TRUE(english.complete());
    startAndSettle();
    showConfig();
    EXPECT_EQ(form->Werbeauto->text(), QStringLiteral("Adverts"));
    EXPECT_EQ(form->Label23->text(), QStringLiteral("preset"));
    EXPECT_EQ(form->StationenEinlesen->text(), QStringLiteral("Read in stations"));
    EXPECT_EQ(form->Woche[0]->itemText(1), QStringLiteral("DAILY"));
    EXPECT_EQ(form->Woche[0]->itemText(2), QStringLiteral("Sunday"));
    // A screen reader hears the caption that is shown.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->StationenEinlesen)->text(QAccessible::Name),
              QStringLiteral("Read in stations"));
    // Names that are not captions follow the language too.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->ls1K)->text(QAccessible::Name), QStringLiteral("speaker 1"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Woche[0])->text(QAccessible::Name),
              QStringLiteral("Timer row 1, day"));

    click(form->StationenEinlesen);
    ASSERT_GE(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("This takes about 3 minutes. A message follows when it is done."));
}

}  // namespace
