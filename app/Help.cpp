#include "app/Help.h"

#include <QDir>
#include <QFileInfo>

std::optional<QString> FormHelpPath(const QString& programFile, const std::function<bool(const QString&)>& exists)
{
    const qsizetype slash = programFile.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    const QString directory = programFile.left(slash);
    const QString beside = directory + QLatin1String(HelpFileSuffix);
    if (beside.size() >= MaxHelpPathLength)
        return std::nullopt;
    if (exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(directory + QLatin1String(InstalledHelpFileSuffix));
    if (installed.size() < MaxHelpPathLength && exists(installed))
        return installed;
    return beside;
}

std::optional<QString> FormHelpPath(const QString& programFile)
{
    return FormHelpPath(programFile, [](const QString& path) { return QFileInfo::exists(path); });
}
