// Runs the plekto command in a child process for the end-to-end tests, always with a
// configuration directory of the test's own, so the user's store is never read.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

struct CRun
{
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

// More for one run: bytes for standard input, "NAME=VALUE" environment entries, and a
// shell command line run instead ("$0" is plekto), for what QProcess cannot give: file
// size limits and names that are not UTF-8.
struct CRunExtras
{
    QByteArray Input;
    QStringList Env;
    QString Shell;
    QString StdoutFile;
};

inline CRun Plekto(const QStringList& args, const QString& configHome, const CRunExtras& extras = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    for (const QString& entry : extras.Env)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    process.setProcessEnvironment(env);
    if (!extras.StdoutFile.isEmpty())
        process.setStandardOutputFile(extras.StdoutFile);
    if (extras.Shell.isEmpty())
        process.start(PLEKTO_BINARY, args);
    else
        process.start("/bin/sh", QStringList{"-c", extras.Shell, PLEKTO_BINARY} + args);
    process.write(extras.Input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

inline QString WriteFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    return path;
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
