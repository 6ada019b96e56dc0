// Watches the open score file and says when its contents differ from those last shown.
// Editors save in several ways (rewriting in place, or writing a temporary file and
// renaming it over the old one), so the file and its directory are both watched, and a
// file that goes missing is given a grace period to come back before it counts as gone.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class QFileSystemWatcher;

class CFileWatcher : public QObject
{
    Q_OBJECT

public:
    // One save is often several writes: the contents are looked at once the file has
    // been quiet this long.
    static constexpr int SettleMs = 30;
    // A file missing this long counts as gone (an editor's rename takes far less).
    static constexpr int GraceMs = 500;
    // While the file or its directory cannot be watched, how often to look again.
    static constexpr int RetryMs = 250;

    explicit CFileWatcher(QObject* parent = nullptr);
    ~CFileWatcher() override;

    // Watches `path` from now on; its present contents count as shown.
    void Watch(const QString& path);
    // Watches nothing.
    void Clear();
    // Records the present contents as shown: call it just before reading the file, so
    // that a save in between is seen as a change.
    void MarkSeen();
    // Compares the contents with those shown now rather than after the next event.
    void CheckNow();

    // Switched off, nothing is watched; switched on again, a change made meanwhile is
    // reported at once.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return Enabled; }
    // Tests lengthen or shorten the grace period so as not to depend on the clock.
    void SetGracePeriod(int ms) { Grace.setInterval(ms); }
    // The file is missing and may yet come back.
    bool IsWaitingForFile() const { return Grace.isActive(); }
    const QString& GetPath() const { return Path; }

    // A fingerprint of the file's contents; none when it cannot be read as a file.
    static std::optional<QByteArray> Fingerprint(const QString& path);

signals:
    // The contents differ from those last shown, or the file has been missing for the
    // grace period.
    void Changed();

private:
    void OnSystemEvent();
    void OnGraceOver();
    void Arm();
    void Disarm();

    QFileSystemWatcher* System = nullptr;
    QTimer Settle;
    QTimer Grace;
    QTimer Retry;
    QString Path;
    bool Enabled = true;
    std::optional<QByteArray> Seen;
};
