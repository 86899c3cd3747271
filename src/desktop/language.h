#pragma once

#include <QStringList>
#include <QTranslator>

namespace desktop {

enum class Language { German, English };

// The window's language from the user's languages, most wanted first (as
// QLocale::uiLanguages() gives them): English when English comes before
// German, German otherwise. German is what the texts are written in.
Language chooseLanguage(const QStringList &uiLanguages);

// The program's texts and Qt's own (the standard buttons) in `language`,
// installed in the running application for as long as the object lives.
// Install it before the window is made: captions are set when it is built.
class Translations {
public:
    explicit Translations(Language language);
    ~Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

    // False when a translation of `language` could not be loaded.
    bool complete() const { return complete_; }

private:
    QTranslator own_;
    QTranslator qt_;
    bool complete_ = true;
};

}  // namespace desktop
