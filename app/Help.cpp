#include "app/Help.h"

#include <QDir>
#include <QFileInfo>

namespace
{
// A suffix above with the English pages' directory before the file name.
QString InLanguage(const char* suffix, UiLanguage language)
{
    QString path = QLatin1String(suffix);
    if (language == UiLanguage::English)
        path.insert(path.lastIndexOf(QLatin1Char('/')), QLatin1String("/en"));
    return path;
}
}  // namespace

std::optional<QString> FormHelpPath(const QString& programFile, const std::function<bool(const QString&)>& exists,
                                    UiLanguage language)
{
    const qsizetype slash = programFile.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    const QString directory = programFile.left(slash);
    const QString beside = directory + InLanguage(HelpFileSuffix, language);
    if (beside.size() >= MaxHelpPathLength)
        return std::nullopt;
    if (exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(directory + InLanguage(InstalledHelpFileSuffix, language));
    if (installed.size() < MaxHelpPathLength && exists(installed))
        return installed;
    return beside;
}

std::optional<QString> FormHelpPath(const QString& programFile, UiLanguage language)
{
    return FormHelpPath(programFile, [](const QString& path) { return QFileInfo::exists(path); }, language);
}
