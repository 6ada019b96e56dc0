// "plekto render" and "plekto trace" end to end.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "PlektoProcess.h"

namespace
{
// Runs plekto headless with the built-in settings.
CRun Headless(const QTemporaryDir& dir, QStringList args, const CRunExtras& extras = {})
{
    return Plekto(args << "--defaults", dir.path(), extras);
}
}  // namespace

TEST(Render, PngIsAOneBitImageOfThePage)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("study.png");
    const CRun run = Headless(dir, {"render", Example("arpeggio_study.tab"), "-o", out});
    ASSERT_TRUE(run.Status == 0) << run.Err.constData();
    ASSERT_TRUE(run.Err.isEmpty()) << run.Err.constData();
    const QImage image(out);
    ASSERT_EQ(image.size(), QSize(Pixels(210, 150), Pixels(290, 150)));  // one page: the page's size
    EXPECT_EQ(image.depth(), 1); EXPECT_NEAR(image.dotsPerMeterX(), 150 / 0.0254, 1.0);
    // The frame's left edge runs from the top to the bottom margin (a pixel either side) and
    // the margin outside it stays white.
    const int edge = Pixels(20, 150), margin = Pixels(10, 150);
    int gaps = 0, inked = 0;
    for (int y = Pixels(15, 150) + 2; y < Pixels(270, 150) - 2; ++y) {
        gaps += Black(image, edge - 1, y) || Black(image, edge, y) || Black(image, edge + 1, y) ? 0 : 1;
        inked += Black(image, margin, y) ? 1 : 0;
    }
    EXPECT_EQ(std::pair(gaps, inked), std::pair(0, 0)) << "rows with the frame's edge missing, with ink in the margin";
}

TEST(Render, ALongerScoreGivesTheScreenDocumentEveryPrintedPageOrTheOneAsked)
{
    QTemporaryDir dir;
    const QString file = Example("blues_shuffle.tab");
    const QJsonObject layout = QJsonDocument::fromJson(Headless(dir, {"dump", file}).Out).object()["layout"].toObject();
    const int pages = layout["PageCount"].toInt();
    ASSERT_GE(pages, 2);
    // A PNG is as tall as the screen document, or one page tall for printed page 2.
    ASSERT_EQ(Headless(dir, {"render", file, "-o", dir.filePath("all.png"), "--dpi", "50"}).Status, 0);
    EXPECT_EQ(QImage(dir.filePath("all.png")).height(), Pixels(layout["LineCount"].toInt() * 39.5 + 35, 50));
    ASSERT_EQ(Headless(dir, {"render", file, "-o", dir.filePath("2.png"), "--page", "2", "--dpi", "50"}).Status, 0);
    EXPECT_EQ(QImage(dir.filePath("2.png")).size(), QSize(Pixels(210, 50), Pixels(290, 50)));
    const CRun run = Headless(dir, {"render", file, "-o", dir.filePath("all.pdf")});
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    const QByteArray pdf = ReadFile(dir.filePath("all.pdf"));
    // Every page 210 x 290 mm, which Qt rounds to 595 x 822 points.
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/MediaBox \\[0 0 595(\\.0*)? 822(\\.0*)?\\]")), pages);
    EXPECT_TRUE(pdf.contains("/FontFile")) << "no embedded font: the pages carry no text";
    ASSERT_EQ(Headless(dir, {"render", file, "-o", dir.filePath("2.pdf"), "--page", "2"}).Status, 0);
    const QByteArray one = ReadFile(dir.filePath("2.pdf"));
    // An empty score still gives one page (frame and string lines), with less on it.
    ASSERT_EQ(Headless(dir, {"render", WriteFile(dir, "empty.tab", ""), "-o", dir.filePath("blank.pdf")}).Status, 0);
    const QByteArray blank = ReadFile(dir.filePath("blank.pdf"));
    EXPECT_EQ(std::pair(PdfPages(one), PdfPages(blank)), std::pair(1, 1)); EXPECT_GT(one.size(), blank.size());
}

TEST(Render, ErrorsGiveOneLineAndAFailingStatus)
{
    QTemporaryDir dir;
    const QString file = Example("riff.tab");
    const std::pair<QStringList, int> cases[] = {
        {{"render", file, "-o", dir.filePath("out.bmp")}, 2},                       // unknown extension
        {{"render", file, "-o", dir.filePath("no/such/dir/out.png")}, 1},           // unwritable output
        {{"render", dir.filePath("missing.tab"), "-o", dir.filePath("a.png")}, 1},  // unreadable input
        {{"render", file}, 2},                                                      // no output
        {{"render", file, "-o", dir.filePath("a.pdf"), "--page", "9"}, 2},          // no such page
        {{"render", file, "-o", dir.filePath("a.png"), "--dpi", "0"}, 2},
        {{"render", file, "-o", dir.filePath("a.svg"), "--dpi=100"}, 2},  // no pixels to count
        {{"render", file, "-o", dir.filePath("a.mid"), "--page", "1"}, 2},  // no pages either
        {{"render", file, "-o", dir.filePath("a.musicxml"), "--page", "1"}, 2},
        {{"render", file, "-o", "-"}, 2},                                  // standard output: no extension
        {{"render", file, file, "-o", dir.filePath("a.pdf")}, 2},          // several files need a directory
        {{"trace", dir.filePath("missing.tab")}, 1},
        {{"dump", dir.filePath("missing.tab")}, 1},
        {{"trace"}, 2},
    };
    for (const auto& [args, status] : cases) {
        const CRun run = Headless(dir, args);
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(run.Status, status) << what;
        EXPECT_EQ(run.Err.count('\n'), 1) << what << ": " << run.Err.constData();
        EXPECT_TRUE(run.Out.isEmpty()) << what;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("out.bmp")));
}

TEST(Trace, PrintsTheScreenPageOrAPrintedPageInUtf8)
{
    QTemporaryDir dir;
    // Code page 932 texts come out as UTF-8: "曲" as title and chord name, and the stored face.
    const CRun sjis = Headless(dir, {"trace", WriteFile(dir, "sjis.tab", "tm\x8B\xC8/n4nn0/ch\x8B\xC8\n")});
    ASSERT_EQ(sjis.Status, 0) << sjis.Err.constData();
    EXPECT_EQ(sjis.Out.count("\"曲\""), 2); EXPECT_FALSE(sjis.Out.contains("\x8B\xC8"));
    EXPECT_TRUE(sjis.Out.contains("Font \"ＭＳ 明朝\" 240"));
    // Printed page 2 of a longer score: no title, a "TAB" head in slot 0.
    const CRun page2 = Headless(dir, {"trace", Example("blues_shuffle.tab"), "--page", "2"});
    ASSERT_EQ(page2.Status, 0); EXPECT_FALSE(page2.Out.contains("Twelve-Bar Shuffle"));
    EXPECT_TRUE(page2.Out.contains("DrawText 37 2000 -3200 3200 -3616 \"T\""));
}

// A first word that is no command opens nothing: the viewer would block this test.
TEST(CommandLine, MistypedCommandsAndOptionsAreUsageErrors)
{
    QTemporaryDir dir;
    const std::pair<QStringList, const char*> cases[] = {
        {{"rendr", "x.tab", "-o", "x.pdf"}, "plekto: unknown command rendr; the commands are dump, check,"},
        {{"--bogus"}, "plekto: unknown option --bogus;"},
        {{"render", "--page=x", "x.tab"}, "plekto render: --page needs a page number from 1, not \"x\""},
        {{"check", "--bogus", "x.tab"}, "plekto check: unknown option --bogus (plekto check --help)"},
        {{"--lang", "fr", "x.tab"}, "plekto: --lang needs en or ja, not \"fr\";"},
        {{"x.tab", "--lang=EN"}, "plekto: --lang needs en or ja, not \"EN\";"},
        {{"x.tab", "--lang"}, "plekto: --lang needs en or ja;"},
    };
    for (const auto& [args, message] : cases) {
        const CRun run = Plekto(args, dir.path());
        EXPECT_EQ(run.Status, 2) << run.Err.constData();
        EXPECT_TRUE(run.Err.startsWith(message)) << run.Err.constData();
        EXPECT_EQ(run.Err.count('\n'), 1) << run.Err.constData();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("Vellmar/Plekto.conf"))) << "a recent file was stored";
    EXPECT_EQ(Plekto({"--version"}, dir.path()).Out, "plekto 1.06\n");
    const CRun help = Plekto({"render", "--help"}, dir.path());
    EXPECT_EQ(help.Status, 0) << help.Out.constData();
    EXPECT_TRUE(help.Out.startsWith("Usage: plekto render FILE...")) << help.Out.constData();
    // --lang before or after the file: the viewer's help shows instead of a complaint.
    for (const QStringList& args :
         {QStringList{"--lang", "en", "x.tab", "-h"}, QStringList{"x.tab", "--lang=ja", "-h"}}) {
        const CRun viewer = Plekto(args, dir.path());
        EXPECT_EQ(viewer.Status, 0) << viewer.Err.constData();
        EXPECT_TRUE(viewer.Out.contains("--lang LANG")) << viewer.Out.constData();
    }
}

// Under a file size limit, on a full device: status 1, one line with the system's reason,
// an existing file left as it was and nothing half-written beside it.
TEST(Render, FailedWritesAreReportedAndLeaveNoPartialFile)
{
    QTemporaryDir dir;
    const QString limited = "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"";
    for (const char* name : {"old.pdf", "old.png", "old.svg"}) {
        const QString out = WriteFile(dir, name, "old");
        const CRun run = Headless(dir, {"render", Example("marks.tab"), "-o", out}, {{}, {}, limited, {}});
        EXPECT_EQ(run.Status, 1) << name;
        EXPECT_EQ(run.Err, "plekto render: cannot write " + out.toUtf8() + ": File too large\n");
        EXPECT_EQ(ReadFile(out), "old") << name;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    const CRun full = Headless(dir, {"render", Example("marks.tab"), "-o", "/dev/full", "--format", "svg"});
    EXPECT_EQ(std::pair(full.Status, full.Err.toStdString()),
              std::pair(1, std::string("plekto render: cannot write /dev/full: No space left on device\n")));
}

TEST(Render, NamesStreamsAndTheSameBytesForTheSameInput)
{
    QTemporaryDir dir;
    // The output's name is kept byte for byte, also when it is not UTF-8.
    const QString shell = "\"$0\" render \"$1\" --defaults -o \"$2/$(printf 'out\\351.pdf')\"";
    ASSERT_EQ(Plekto({Example("riff.tab"), dir.path()}, dir.path(), {{}, {}, shell, {}}).Status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.path().toStdString() + "/out\xe9.pdf"));
    // Standard input to standard output.
    const CRun piped = Headless(dir, {"render", "-", "-o", "-", "--format", "svg"}, {"tmPiped/n4nn0\n", {}, {}, {}});
    EXPECT_TRUE(piped.Status == 0); EXPECT_TRUE(piped.Out.startsWith("<?xml"));
    EXPECT_TRUE(piped.Out.contains(">Piped</text>"));
    // A score too long for a PDF page is not too long for SVG; the extension is matched without case.
    const CRun svg = Headless(dir, {"render", WriteFile(dir, "long.tab", QByteArray("n4nn0/|/").repeated(600)), "-o",
                               dir.filePath("long.SVG")});
    EXPECT_EQ(svg.Status, 0) << svg.Err.constData();
    EXPECT_GT(QString::fromUtf8(ReadFile(dir.filePath("long.SVG"))).count(QRegularExpression("<(path|polyline)\\b")), 50);
    // The same input gives the same bytes.
    const CRunExtras epoch = {{}, {"SOURCE_DATE_EPOCH=86400"}, {}, {}};
    for (const char* format : {"pdf", "svg"}) {
        const CRun first = Headless(dir, {"render", Example("blues_shuffle.tab"), "-o", "-", "--format", format}, epoch);
        ASSERT_EQ(first.Status, 0) << first.Err.constData();
        EXPECT_EQ(Headless(dir, {"render", Example("blues_shuffle.tab"), "-o", "-", "--format", format}, epoch).Out,
                  first.Out) << format;
    }
    const QByteArray pdf = Headless(dir, {"render", Example("riff.tab"), "-o", "-", "--format=pdf"}, epoch).Out;
    EXPECT_TRUE(pdf.contains("/CreationDate (D:19700102000000Z)"));
}

TEST(Render, SeveralFilesGoIntoADirectoryAndOneFailureDoesNotStopTheRest)
{
    QTemporaryDir dir;
    const CRun run = Headless(dir, {"render", Example("riff.tab"), dir.filePath("none.tab"), Example("marks.tab"), "-o",
                               dir.path(), "--format", "png", "--dpi", "30"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "plekto render: cannot read " + dir.filePath("none.tab").toUtf8() +
                           ": No such file or directory\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.png"}), QStringList({"marks.png", "riff.png"}));
}

TEST(Render, ProblemsAreCountedOnOneLineAndStrictRefusesThem)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "bad.tab", "n4nn0/_e/zz\nn4nn0/zz\n");
    const QString out = dir.filePath("bad.pdf");
    const CRun run = Headless(dir, {"render", file, "-o", out});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, file.toUtf8() + ": 1 error, 1 warning (plekto check " + file.toUtf8() + " lists them)\n");
    QFile::remove(out);
    EXPECT_EQ(Headless(dir, {"render", file, "-o", out, "--strict"}).Status, 1);
    EXPECT_FALSE(QFile::exists(out));
    const QString warned = WriteFile(dir, "w.tab", "zz\n");
    EXPECT_TRUE(Headless(dir, {"trace", warned})
                    .Err.endsWith((warned + ": 1 warning (plekto check " + warned + " lists them)\n").toUtf8()));
}

// A stored setting no output can take is named with its store, not blamed on the output.
TEST(Render, AnImpossibleStoredSettingIsNamed)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Vellmar");
    const QString store = WriteFile(dir, "Vellmar/Plekto.conf", "[Settings]\nPage\\PageW=-5\n");
    const CRun run = Plekto({"render", Example("riff.tab"), "-o", dir.filePath("a.pdf")}, dir.path());
    EXPECT_EQ(run.Status, 1);
    for (const QByteArray& part : {QByteArray("-0.05 mm"), QByteArray("Page\\PageW"), store.toUtf8(),
                                   QByteArray("--defaults")})
        EXPECT_TRUE(run.Err.contains(part)) << part.constData() << " in " << run.Err.constData();
}
