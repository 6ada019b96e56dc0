#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

std::optional<UiLanguage> UiLanguageNamed(std::string_view name)
{
    if (name == "ja")
        return UiLanguage::Japanese;
    if (name == "en")
        return UiLanguage::English;
    return std::nullopt;
}

UiLanguage UiLanguageOf(const QLocale& locale)
{
    return locale.language() == QLocale::Japanese ? UiLanguage::Japanese : UiLanguage::English;
}

CUiTranslation::CUiTranslation(UiLanguage language) : Lang(language)
{
    auto translator = std::make_unique<QTranslator>();
    // Qt's own texts are English as written, ours are Japanese as written.
    const bool loaded = language == UiLanguage::English
                            ? translator->load(QStringLiteral(":/i18n/plekto_en.qm"))
                            : translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                                               QStringLiteral("_"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded && QCoreApplication::installTranslator(translator.get()))
        Translator = std::move(translator);
}

// The translator's own destructor takes it out of the application.
CUiTranslation::~CUiTranslation() = default;
