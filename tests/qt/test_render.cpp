// "plekto render" and "plekto trace" end to end.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

namespace
{
struct CRun
{
    int Status = -1;
    QByteArray Out, Err;
};

// Runs plekto headless, with its own configuration directory.
CRun Plekto(const QTemporaryDir& dir, QStringList args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(PLEKTO_BINARY, args << "--defaults");
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString Example(const char* name) { return QString(PLEKTO_SOURCE_DIR) + "/examples/" + name; }

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pages of a PDF: the page objects, not the page tree.
int PdfPages(const QByteArray& pdf) { return QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")); }

int Pixels(double mm, double dpi) { return static_cast<int>(std::ceil(mm / 25.4 * dpi - 1e-9)); }

bool Black(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

}  // namespace

TEST(Render, PngIsAOneBitImageOfThePageAndSvgIsWellFormed)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("study.png");
    const CRun run = Plekto(dir, {"render", Example("arpeggio_study.tab"), "-o", out});
    ASSERT_TRUE(run.Status == 0 && run.Err.isEmpty()) << run.Err.constData();
    const QImage image(out);
    ASSERT_EQ(image.size(), QSize(Pixels(210, 150), Pixels(290, 150)));  // one page: the page's size
    EXPECT_EQ(image.depth(), 1);
    EXPECT_NEAR(image.dotsPerMeterX(), 150 / 0.0254, 1.0);
    // The frame's left edge runs from the top to the bottom margin (a pixel either side) and
    // the margin outside it stays white.
    const int edge = Pixels(20, 150), margin = Pixels(10, 150);
    int gaps = 0, inked = 0;
    for (int y = Pixels(15, 150) + 2; y < Pixels(270, 150) - 2; ++y) {
        gaps += Black(image, edge - 1, y) || Black(image, edge, y) || Black(image, edge + 1, y) ? 0 : 1;
        inked += Black(image, margin, y) ? 1 : 0;
    }
    EXPECT_EQ(std::pair(gaps, inked), std::pair(0, 0)) << "rows with the frame's edge missing, with ink in the margin";

    // The extension is matched without case.
    ASSERT_EQ(Plekto(dir, {"render", Example("riff.tab"), "-o", dir.filePath("riff.SVG")}).Status, 0);
    const QByteArray svg = ReadAll(dir.filePath("riff.SVG"));
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(QString::fromUtf8(svg).count(QRegularExpression("<(path|polyline)\\b")), 50);
}

TEST(Render, ALongerScoreGivesTheScreenDocumentEveryPrintedPageOrTheOneAsked)
{
    QTemporaryDir dir;
    const QString file = Example("blues_shuffle.tab");
    const QJsonObject layout = QJsonDocument::fromJson(Plekto(dir, {"dump", file}).Out).object()["layout"].toObject();
    const int pages = layout["PageCount"].toInt();
    ASSERT_GE(pages, 2);
    // A PNG is as tall as the screen document, or one page tall for printed page 2.
    ASSERT_EQ(Plekto(dir, {"render", file, "-o", dir.filePath("all.png"), "--dpi", "50"}).Status, 0);
    EXPECT_EQ(QImage(dir.filePath("all.png")).height(), Pixels(layout["LineCount"].toInt() * 39.5 + 35, 50));
    ASSERT_EQ(Plekto(dir, {"render", file, "-o", dir.filePath("2.png"), "--page", "2", "--dpi", "50"}).Status, 0);
    EXPECT_EQ(QImage(dir.filePath("2.png")).size(), QSize(Pixels(210, 50), Pixels(290, 50)));

    const CRun run = Plekto(dir, {"render", file, "-o", dir.filePath("all.pdf")});
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    const QByteArray pdf = ReadAll(dir.filePath("all.pdf"));
    // Every page 210 x 290 mm, which Qt rounds to 595 x 822 points.
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/MediaBox \\[0 0 595(\\.0*)? 822(\\.0*)?\\]")), pages);
    EXPECT_TRUE(pdf.contains("/FontFile")) << "no embedded font: the pages carry no text";
    ASSERT_EQ(Plekto(dir, {"render", file, "-o", dir.filePath("2.pdf"), "--page", "2"}).Status, 0);
    const QByteArray one = ReadAll(dir.filePath("2.pdf"));
    // An empty score still gives one page (frame and string lines), with less on it.
    ASSERT_EQ(Plekto(dir, {"render", Write(dir, "empty.tab", ""), "-o", dir.filePath("blank.pdf")}).Status, 0);
    const QByteArray blank = ReadAll(dir.filePath("blank.pdf"));
    EXPECT_EQ(std::pair(PdfPages(one), PdfPages(blank)), std::pair(1, 1));
    EXPECT_GT(one.size(), blank.size());
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
        {{"render", file, "-o", dir.filePath("a.png"), "--dpi", "nan"}, 2},
        {{"trace", dir.filePath("missing.tab")}, 1},
        {{"trace"}, 2},
    };
    for (const auto& [args, status] : cases) {
        const CRun run = Plekto(dir, args);
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
    const QString file = Write(dir, "t.tab", "tmSong/n4nn0\n");
    const CRun run = Plekto(dir, {"trace", file});
    ASSERT_EQ(run.Status, 0) << run.Err.constData();
    const QStringList lines = QString::fromUtf8(run.Out).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("DrawText 37 2000 -1500 19000 -5450 \"Song\""));
    EXPECT_TRUE(lines.contains("Font \"ＭＳ 明朝\" 240"));  // the stored face, decoded
    // A one-page score: the screen page and printed page 1 are the same drawing.
    EXPECT_EQ(Plekto(dir, {"trace", file, "--page", "1"}).Out, run.Out);

    // Printed page 2 of a longer score: no title, a "TAB" head in slot 0.
    const CRun page2 = Plekto(dir, {"trace", Example("blues_shuffle.tab"), "--page", "2"});
    ASSERT_EQ(page2.Status, 0);
    EXPECT_FALSE(page2.Out.contains("Twelve-Bar Shuffle"));
    EXPECT_TRUE(page2.Out.contains("DrawText 37 2000 -3200 3200 -3616 \"T\""));

    // Code page 932 texts come out as UTF-8: "曲" as title and chord name.
    const CRun sjis = Plekto(dir, {"trace", Write(dir, "sjis.tab", "tm\x8B\xC8/n4nn0/ch\x8B\xC8\n")});
    EXPECT_EQ(sjis.Out.count("\"曲\""), 2) << sjis.Err.constData();
    EXPECT_FALSE(sjis.Out.contains("\x8B\xC8"));
}
