// "plekto check" end to end: output lines in the file's encoding, exit statuses.
#include <gtest/gtest.h>

#include "PlektoProcess.h"

namespace
{
struct CCheck
{
    int Status = -1;
    QString Out;
};

CCheck Check(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const CRun run = Plekto({"check", WriteFile(dir, "score.tab", bytes), "--defaults"}, dir.path());
    return {run.Status, QString::fromUtf8(run.Out)};
}
}  // namespace

TEST(Check, ReportsInFileLineColumnForm)
{
    QTemporaryDir dir;
    const CCheck run = Check(dir, "tm\x8b\xc8\n\x8b\xc8/_e/n4nn0\nn4nn0/CH\n");
    EXPECT_EQ(run.Status, 1);
    const QString path = dir.filePath("score.tab");
    EXPECT_EQ(run.Out, path + ":2:1: warning: '" + QString::fromUtf8("曲") +
                           "' was ignored: its first character selects no token\n" + path +
                           ":2:3: error: '_e' closes no open tie; the rest of the line, 1 token, was skipped\n" +
                           path + ":3:7: warning: 'CH' was ignored: its first character selects no token\n");
}

TEST(Check, ExitStatusSaysWhetherThereWereErrors)
{
    QTemporaryDir dir;
    const CCheck clean = Check(dir, "tmFine/-4,4/n4nn0/|/r4\n");
    EXPECT_EQ(clean.Status, 0);
    EXPECT_TRUE(clean.Out.isEmpty());
    const CCheck warningsOnly = Check(dir, "n4nn0/3s\n");
    EXPECT_EQ(warningsOnly.Status, 0);
    EXPECT_TRUE(warningsOnly.Out.contains("warning: the tuplet is never closed"));

    // Each file is checked, one that cannot be read too; standard input is "<stdin>".
    const QString missing = dir.filePath("missing.tab");
    const CRun several = Plekto({"check", missing, "-", WriteFile(dir, "ok.tab", "n4nn0\n")}, dir.path(),
                                {"n4nn0/zz\n", {}, {}, {}});
    EXPECT_EQ(several.Status, 1);
    EXPECT_EQ(several.Err, "plekto check: cannot read " + missing.toUtf8() + ": No such file or directory\n");
    EXPECT_TRUE(several.Out.startsWith("<stdin>:1:7: warning: ")) << several.Out.constData();

    // An endless stream is refused at the input limit, in bounded time and memory.
    const CRun endless = Plekto({"check", "/dev/zero"}, dir.path());
    EXPECT_EQ(endless.Status, 1);
    EXPECT_EQ(endless.Err, "plekto check: cannot read /dev/zero: larger than 64 MB\n");
}
