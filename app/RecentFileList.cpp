#include "app/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace
{
const QString Section = QStringLiteral("Recent File List");

QString EntryKey(int index) { return Section + QStringLiteral("/File%1").arg(index + 1); }
}  // namespace

void CRecentFileList::ReadList()
{
    Files.clear();
    for (int i = 0; i < Size; ++i) {
        const QString path = Settings.value(EntryKey(i)).toString();
        if (!path.isEmpty())
            Files.append(path);
    }
}

void CRecentFileList::WriteList() const
{
    Settings.remove(Section);
    for (int i = 0; i < Files.size(); ++i)
        Settings.setValue(EntryKey(i), Files[i]);
    Settings.sync();
}

void CRecentFileList::Add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Files.removeAll(absolute);
    Files.prepend(absolute);
    while (Files.size() > Size)
        Files.removeLast();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < Files.size())
        Files.removeAt(index);
}

QString CRecentFileList::MenuText(int index, const QString& path)
{
    QString name = AbbreviateName(path, MaxDisplayLength);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

QString CRecentFileList::AbbreviateName(const QString& path, qsizetype maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    const QString& file = parts.last();
    // "/first/.../" kept in front of the tail; the first part is empty for "/...".
    const QString head = parts.size() > 2 ? parts[0] + QLatin1Char('/') + parts[1] + QStringLiteral("/...") : QString();
    if (head.isEmpty() || head.size() + 1 + file.size() > maxLength)
        return file;
    QString tail = file;
    for (qsizetype i = parts.size() - 2; i > 1; --i) {
        const QString longer = parts[i] + QLatin1Char('/') + tail;
        if (head.size() + 1 + longer.size() > maxLength)
            break;
        tail = longer;
    }
    return head + QLatin1Char('/') + tail;
}
