#include "desktop/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace desktop {

Language chooseLanguage(const QStringList &uiLanguages)
{
    for (const QString &entry : uiLanguages) {
        // "en", "en-GB", "en_US.UTF-8": the language is the first part.
        const QString lang = entry.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (lang == QLatin1String("en"))
            return Language::English;
        if (lang == QLatin1String("de"))
            return Language::German;
    }
    return Language::German;
}

Translations::Translations(Language language)
{
    const QLocale locale(language == Language::English ? QLocale::English : QLocale::German);
    // The program's German is its source text: only English needs a file.
    if (language == Language::English) {
        if (own_.load(QStringLiteral(":/i18n/pelora_en.qm")))
            QCoreApplication::installTranslator(&own_);
        else
            complete_ = false;
    }
    if (qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt_);
    else
        complete_ = false;
}

Translations::~Translations()
{
    QCoreApplication::removeTranslator(&qt_);
    QCoreApplication::removeTranslator(&own_);
}

}  // namespace desktop
