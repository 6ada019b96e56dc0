#include "app/FileWatcher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

CFileWatcher::CFileWatcher(QObject* parent) : QObject(parent), System(new QFileSystemWatcher(this))
{
    Settle.setSingleShot(true);
    Settle.setInterval(SettleMs);
    Grace.setSingleShot(true);
    Grace.setInterval(GraceMs);
    Retry.setInterval(RetryMs);
    connect(System, &QFileSystemWatcher::fileChanged, this, &CFileWatcher::OnSystemEvent);
    connect(System, &QFileSystemWatcher::directoryChanged, this, &CFileWatcher::OnSystemEvent);
    connect(&Settle, &QTimer::timeout, this, &CFileWatcher::CheckNow);
    connect(&Grace, &QTimer::timeout, this, &CFileWatcher::OnGraceOver);
    connect(&Retry, &QTimer::timeout, this, &CFileWatcher::CheckNow);
}

CFileWatcher::~CFileWatcher() = default;

std::optional<QByteArray> CFileWatcher::Fingerprint(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return std::nullopt;
    return hash.result();
}

void CFileWatcher::Watch(const QString& path)
{
    Clear();
    Path = QFileInfo(path).absoluteFilePath();
    Seen = Fingerprint(Path);
    if (Enabled)
        Arm();
}

void CFileWatcher::Clear()
{
    Disarm();
    Path.clear();
    Seen.reset();
}

void CFileWatcher::MarkSeen()
{
    if (!Path.isEmpty())
        Seen = Fingerprint(Path);
    Grace.stop();
}

void CFileWatcher::SetEnabled(bool enabled)
{
    if (enabled == Enabled)
        return;
    Enabled = enabled;
    if (!Enabled) {
        Disarm();
        return;
    }
    CheckNow();
}

void CFileWatcher::OnSystemEvent()
{
    // Restarted by every event: the check follows the last write of a save.
    Settle.start();
}

void CFileWatcher::CheckNow()
{
    if (!Enabled || Path.isEmpty())
        return;
    Arm();
    const std::optional<QByteArray> now = Fingerprint(Path);
    if (now == Seen) {
        Grace.stop();
        return;
    }
    if (!now) {
        // Perhaps an editor between removing the old file and renaming the new one in.
        if (!Grace.isActive())
            Grace.start();
        return;
    }
    Grace.stop();
    emit Changed();
}

void CFileWatcher::OnGraceOver()
{
    if (Enabled && !Path.isEmpty() && !Fingerprint(Path) && Seen)
        emit Changed();
}

void CFileWatcher::Arm()
{
    const QString directory = QFileInfo(Path).absolutePath();
    // The watcher forgets a path whose file was removed or renamed: add it again once
    // it is back. The directory reports the file's return.
    if (QFileInfo(directory).isDir() && !System->directories().contains(directory))
        System->addPath(directory);
    if (QFileInfo(Path).isFile() && !System->files().contains(Path))
        System->addPath(Path);
    const bool armed = System->directories().contains(directory) && System->files().contains(Path);
    // Without both watches a change could go unnoticed: look from time to time.
    if (armed)
        Retry.stop();
    else if (!Retry.isActive())
        Retry.start();
}

void CFileWatcher::Disarm()
{
    Settle.stop();
    Grace.stop();
    Retry.stop();
    const QStringList paths = System->files() + System->directories();
    if (!paths.isEmpty())
        System->removePaths(paths);
}
