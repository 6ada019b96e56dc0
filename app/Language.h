// The language of the viewer's menus, dialogs and help pages. The texts are written in
// Japanese; English comes from the translation built into the program (i18n/plekto_en.ts).
#pragma once

#include <QLocale>
#include <QString>
#include <memory>
#include <optional>
#include <string_view>

class QTranslator;

enum class UiLanguage
{
    Japanese,
    English,
};

// "ja" or "en", as the command line's --lang takes them; nothing for any other name.
std::optional<UiLanguage> UiLanguageNamed(std::string_view name);
// Japanese for a Japanese locale, English for every other one.
UiLanguage UiLanguageOf(const QLocale& locale);
// The user's language as Qt reads it from LC_ALL, LC_MESSAGES, LANG and LANGUAGE.
inline UiLanguage SystemUiLanguage() { return UiLanguageOf(QLocale::system()); }

// The translators of one language, installed in the application while this object lives:
// ours for English, Qt's own (standard dialogs and buttons) for Japanese. A translation
// the system lacks leaves those texts as they are written, which is no reason to stop.
class CUiTranslation
{
public:
    explicit CUiTranslation(UiLanguage language);
    ~CUiTranslation();
    CUiTranslation(const CUiTranslation&) = delete;
    CUiTranslation& operator=(const CUiTranslation&) = delete;

    UiLanguage Language() const { return Lang; }

private:
    UiLanguage Lang;
    std::unique_ptr<QTranslator> Translator;
};
