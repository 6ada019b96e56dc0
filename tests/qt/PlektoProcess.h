// Shared by the Qt-side tests: runs the plekto command in a child process, always with a
// configuration directory of the test's own so the user's store is never read, and reads
// back the files and pixels it makes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

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

inline QString Example(const char* name) { return QStringLiteral(PLEKTO_SOURCE_DIR "/examples/") + name; }

// Pages of a PDF: the page objects, not the page tree.
inline int PdfPages(const QByteArray& pdf) { return int(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page\\b"))); }

// Pixels a length in mm takes at `dpi`, as the image writers round them.
inline int Pixels(double mm, double dpi) { return static_cast<int>(std::ceil(mm / 25.4 * dpi - 1e-9)); }

inline bool Black(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// Black pixels in x0..x1, y0..y1 (exclusive), clipped to the image.
inline int CountBlack(const QImage& image, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(y1, image.height()); ++y)
        for (int x = std::max(0, x0); x < std::min(x1, image.width()); ++x)
            count += Black(image, x, y) ? 1 : 0;
    return count;
}
