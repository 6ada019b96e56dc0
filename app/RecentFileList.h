// The files opened last, newest first, as the File menu lists them. The list lives in
// the store's section "Recent File List" as the values "File1", "File2", ...
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

class CRecentFileList
{
public:
    static constexpr int Size = 4;
    // The longest name a menu entry shows; longer paths are shortened in the middle.
    static constexpr qsizetype MaxDisplayLength = 30;

    explicit CRecentFileList(QSettings& settings) : Settings(settings) {}

    void ReadList();
    // Rewrites the whole section: entries that fell off the list disappear from it.
    void WriteList() const;

    // Puts the file (made absolute) at the front; an entry for the same file moves up.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Entries() const { return Files; }

    // "&1 name" for the first entry, with "&" in the name doubled so that it shows.
    static QString MenuText(int index, const QString& path);
    // The path itself when short enough, else its first directory, "...", and as many
    // of its last components as fit; the bare file name when even that is too long.
    static QString AbbreviateName(const QString& path, qsizetype maxLength);

private:
    QSettings& Settings;
    QStringList Files;
};
