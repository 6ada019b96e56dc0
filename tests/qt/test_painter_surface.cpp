// The QPainter surface and the file writers: where things land with y upward, SRCAND,
// arcs, text measuring, font matching, and well-formed PNG, PDF and SVG files.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <limits>

#include "display/Font.h"
#include "display/qt/Export.h"
#include "display/qt/FontMatch.h"
#include "display/qt/PainterSurface.h"
#include "display/qt/TextCodec.h"
#include "symbols/Bitmap.h"

namespace
{
// 254 dpi: one pixel is 0.1 mm, ten logical units, so expected pixels are easy to read.
constexpr double Dpi = 254.0;

QImage Render(double widthMm, double heightMm, const CPictureDrawer& draw)
{
    std::string error;
    QImage image = RenderMonoImage(widthMm, heightMm, Dpi, draw, error);
    EXPECT_FALSE(image.isNull()) << error;
    return image;
}

bool Black(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

int CountBlack(const QImage& image, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(y1, image.height()); ++y)
        for (int x = std::max(0, x0); x < std::min(x1, image.width()); ++x)
            count += Black(image, x, y) ? 1 : 0;
    return count;
}

// A small page with a frame, a filled box, a line and a text.
void DrawSample(CSurface& dc)
{
    CFont font{"Courier New", 120, 423};
    const CBrush brush = dc.SelectBrush(CBrush::Hollow);
    dc.Rectangle(500, -500, 4500, -2500);
    dc.SelectBrush(brush);
    dc.Rectangle(1000, -1000, 2000, -2000);
    dc.MoveTo(500, -2800);
    dc.LineTo(4500, -2800);
    const CFont* previous = dc.SelectFont(&font);
    CRect rect{2500, -1000, 4500, -2000};
    dc.DrawText("Am7", rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc.SelectFont(previous);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TEST(PainterSurface, ShapesLandAtTheirPixelsWithYUp)
{
    const QImage image = Render(50, 50, [](CSurface& dc) {
        dc.Rectangle(1000, -2000, 3000, -3000);  // x 100..300 px, y 200..300 px
        dc.MoveTo(500, -4000);                   // a 1-unit pen still draws a pixel row
        dc.LineTo(4500, -4000);
    });
    ASSERT_EQ(image.width(), 500);
    ASSERT_EQ(image.height(), 500);
    EXPECT_TRUE(Black(image, 200, 250));
    EXPECT_TRUE(Black(image, 110, 210));
    EXPECT_TRUE(Black(image, 290, 290));
    EXPECT_FALSE(Black(image, 200, 190));  // above the top edge
    EXPECT_FALSE(Black(image, 200, 310));  // below the bottom edge
    EXPECT_FALSE(Black(image, 90, 250));
    EXPECT_FALSE(Black(image, 310, 250));
    EXPECT_GE(CountBlack(image, 50, 398, 450, 403), 395);
    EXPECT_EQ(CountBlack(image, 0, 0, 500, 195), 0);
}

TEST(PainterSurface, BrushesFillOrLeaveHollow)
{
    const QImage image = Render(50, 20, [](CSurface& dc) {
        dc.SelectBrush(CBrush::Hollow);
        dc.Ellipse(100, -100, 1100, -1100);
        dc.RoundRect(1500, 0, 2500, -1000, 300, 300);
        dc.SelectBrush(CBrush::Black);
        dc.Ellipse(3000, 0, 4000, -1000);
        const std::array<CPoint, 3> triangle{CPoint{4200, 0}, CPoint{4900, 0}, CPoint{4200, -700}};
        dc.PaintPolygon(triangle);
        dc.SelectBrush(CBrush::White);
        dc.Rectangle(3400, -400, 3600, -600);  // a white box with a black outline inside the disc
    });
    EXPECT_FALSE(Black(image, 60, 60));                   // hollow ellipse: centre stays white
    EXPECT_GT(CountBlack(image, 55, 8, 65, 13), 0);       // ... but its outline is drawn
    EXPECT_FALSE(Black(image, 200, 50));  // hollow rounded box
    EXPECT_TRUE(Black(image, 320, 50));   // solid disc
    EXPECT_FALSE(Black(image, 350, 50));  // white brush
    EXPECT_TRUE(Black(image, 430, 20));   // inside the triangle
    EXPECT_FALSE(Black(image, 480, 60));  // beyond its hypotenuse
}

TEST(PainterSurface, StretchBltAndsBlackAndLeavesWhiteTransparent)
{
    // A 2 x 2 bitmap with one black pixel at the top left.
    CBitmap bitmap;
    bitmap.ResourceId = IDB_FLAG1;
    bitmap.Width = 2;
    bitmap.Height = 2;
    bitmap.Pixels = {1, 0, 0, 0};
    const QImage image = Render(40, 40, [&](CSurface& dc) {
        dc.Rectangle(2000, -2000, 4000, -4000);  // the lower right quarter is black
        CMemoryDC memory;
        memory.SelectBitmap(&bitmap);
        // Cover x 1000..3000, y -1000 down to -3000 (h negative extends downward).
        dc.StretchBlt(1000, -1000, 2000, -2000, memory, 0, 0, 2, 2);
    });
    EXPECT_TRUE(Black(image, 150, 150));   // the bitmap's black pixel, top left of the copy
    EXPECT_FALSE(Black(image, 250, 150));  // its white pixels leave white alone...
    EXPECT_FALSE(Black(image, 150, 250));
    EXPECT_TRUE(Black(image, 250, 250));   // ...and black alone
    EXPECT_EQ(CountBlack(image, 100, 100, 200, 200), 100 * 100);
    EXPECT_EQ(CountBlack(image, 0, 0, 400, 95), 0);

    // Nothing selected, or an empty source: nothing drawn, no crash.
    const QImage empty = Render(10, 10, [&](CSurface& dc) {
        CMemoryDC memory;
        dc.StretchBlt(0, 0, 500, -500, memory, 0, 0, 2, 2);
        memory.SelectBitmap(&bitmap);
        dc.StretchBlt(0, 0, 500, -500, memory, 5, 5, 2, 2);
        dc.StretchBlt(0, 0, 500, -500, memory, 0, 0, 0, 2);
    });
    EXPECT_EQ(CountBlack(empty, 0, 0, 100, 100), 0);
}

TEST(PainterSurface, ArcRunsCounterClockwiseFromTheFirstRay)
{
    // Ellipse x 500..3500, y -500..-2500: centre (2000, -1500), pixel row 150.
    const QImage lower = Render(40, 30, [](CSurface& dc) { dc.Arc(500, -500, 3500, -2500, 0, -1500, 4000, -1500); });
    const QImage upper = Render(40, 30, [](CSurface& dc) { dc.Arc(500, -500, 3500, -2500, 4000, -1500, 0, -1500); });
    // From the left point through the bottom to the right point.
    EXPECT_GT(CountBlack(lower, 0, 152, 400, 300), 100);
    EXPECT_EQ(CountBlack(lower, 0, 0, 400, 148), 0);
    EXPECT_TRUE(CountBlack(lower, 190, 245, 210, 255) > 0);  // the bottom of the ellipse
    // The other way round it runs over the top.
    EXPECT_GT(CountBlack(upper, 0, 0, 400, 148), 100);
    EXPECT_EQ(CountBlack(upper, 0, 152, 400, 300), 0);
    // Equal rays give the whole ellipse.
    const QImage full = Render(40, 30, [](CSurface& dc) { dc.Arc(500, -500, 3500, -2500, 0, 0, 0, 0); });
    EXPECT_GT(CountBlack(full, 0, 0, 400, 148), 100);
    EXPECT_GT(CountBlack(full, 0, 152, 400, 300), 100);
}

TEST(PainterSurface, TextIsMeasuredAndDrawnInItsRectangle)
{
    CFont small{"Courier New", 90, 317};
    CFont large{"Courier New", 180, 635};
    CRect smallRect{0, 0, 0, 0};
    CRect largeRect{100, -100, 0, 0};
    CRect emptyRect{0, 0, 0, 0};
    const QImage image = Render(60, 30, [&](CSurface& dc) {
        dc.SelectFont(&small);
        dc.DrawText("0X", smallRect, DT_CALCRECT | DT_SINGLELINE);
        dc.DrawText("", emptyRect, DT_CALCRECT | DT_SINGLELINE);
        dc.SelectFont(&large);
        dc.DrawText("0X", largeRect, DT_CALCRECT | DT_SINGLELINE);
        CRect right{0, -1000, 6000, -2000};
        dc.DrawText("88", right, DT_RIGHT | DT_SINGLELINE);
    });
    EXPECT_GT(smallRect.right - smallRect.left, 0);
    EXPECT_LT(smallRect.bottom - smallRect.top, 0);
    // The em height is the font's Height: two monospace cells are about 1.2 em wide and a
    // line about 1.1 em tall.
    EXPECT_NEAR(smallRect.right - smallRect.left, 1.2 * 317, 0.1 * 317);
    EXPECT_NEAR(smallRect.top - smallRect.bottom, 1.13 * 317, 0.15 * 317);
    EXPECT_EQ(largeRect.left, 100);
    EXPECT_EQ(largeRect.top, -100);
    EXPECT_NEAR(largeRect.right - largeRect.left, 2 * (smallRect.right - smallRect.left), 4);
    EXPECT_EQ(emptyRect.right, emptyRect.left);
    // Right-aligned text sits at the right end of its rectangle, within its rows.
    EXPECT_GT(CountBlack(image, 450, 100, 600, 200), 0);
    EXPECT_EQ(CountBlack(image, 0, 100, 400, 200), 0);
    EXPECT_EQ(CountBlack(image, 0, 0, 600, 100), 0);
}

TEST(PainterSurface, ClipsTextUnlessNoClip)
{
    CFont font{"Courier New", 240, 846};
    // A rectangle too small for the text: clipped, the text shows only inside it.
    const QImage clipped = Render(60, 30, [&](CSurface& dc) {
        dc.SelectFont(&font);
        CRect rect{1000, -1000, 1200, -1200};
        dc.DrawText("WWWW", rect, 0);
    });
    const QImage free = Render(60, 30, [&](CSurface& dc) {
        dc.SelectFont(&font);
        CRect rect{1000, -1000, 1200, -1200};
        dc.DrawText("WWWW", rect, DT_NOCLIP);
    });
    EXPECT_EQ(CountBlack(clipped, 121, 0, 600, 300), 0);
    EXPECT_GT(CountBlack(free, 121, 0, 600, 300), 100);
}

TEST(FontMatch, WindowsFaceNamesFindInstalledFonts)
{
    // Drawing must not depend on a face being installed: every name gives a usable font.
    const QFont bold = MatchFontFace(std::string_view("Courier New Bold"));
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_FALSE(bold.family().contains("Bold"));
    if (QFontDatabase::hasFamily("Liberation Mono") && !QFontDatabase::hasFamily("Courier New")) {
        EXPECT_EQ(MatchFontFace(std::string_view("Courier New")).family(), "Liberation Mono");
        EXPECT_EQ(bold.family(), "Liberation Mono");
    }
    EXPECT_TRUE(MatchFontFace(std::string_view("Courier New Bold Italic")).italic());

    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        GTEST_SKIP() << "no Japanese font installed";
    // Face names arrive as code page 932 bytes from the store, or as UTF-8 from a file.
    for (const std::string& name : {EncodeCp932(QString::fromUtf8("ＭＳ 明朝")), std::string("ＭＳ Ｐゴシック"),
                                    std::string("MS Gothic")}) {
        const QFont font = MatchFontFace(name);
        SCOPED_TRACE(font.family().toStdString());
        EXPECT_TRUE(QFontDatabase::hasFamily(font.family()));
        EXPECT_TRUE(QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese));
    }
    if (QFontDatabase::hasFamily("IPAMincho") && QFontDatabase::hasFamily("IPAPGothic")) {
        EXPECT_EQ(MatchFontFace(std::string_view("ＭＳ 明朝")).family(), "IPAMincho");
        EXPECT_EQ(MatchFontFace(std::string_view("ＭＳ Ｐゴシック")).family(), "IPAPGothic");
    }
}

TEST(FontMatch, EmHeightIsClampedToASaneRange)
{
    const CFont normal{"x", 90, 317};
    const CFont negative{"x", 90, -317};
    const CFont zero{"x", 120, 0};
    const CFont nothing{"x", 0, 0};
    const CFont huge{"x", std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};
    const CFont lowest{"x", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
    EXPECT_EQ(EmHeightFor(&normal), 317);
    EXPECT_EQ(EmHeightFor(&negative), 317);
    EXPECT_EQ(EmHeightFor(&zero), 423);
    EXPECT_EQ(EmHeightFor(&nothing), 317);
    EXPECT_EQ(EmHeightFor(nullptr), 317);
    EXPECT_EQ(EmHeightFor(&huge), MaxEmHeight);
    EXPECT_EQ(EmHeightFor(&lowest), MaxEmHeight);
    EXPECT_EQ(MakeQFont(&huge).pixelSize(), MaxEmHeight);
}

TEST(Export, WritesWellFormedFilesThatShowTheDrawing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string error;

    const std::string png = dir.filePath("page.png").toStdString();
    ASSERT_TRUE(WritePng(png, 50, 30, Dpi, DrawSample, error)) << error;
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(500, 300));
    EXPECT_EQ(image.depth(), 1);
    EXPECT_NEAR(image.dotsPerMeterX(), Dpi / 0.0254, 1);
    EXPECT_GT(CountBlack(image, 0, 0, 500, 300), 10000);
    EXPECT_TRUE(Black(image, 150, 150));                       // the filled box
    EXPECT_GT(CountBlack(image, 250, 100, 450, 200), 50);     // the text

    const std::string pdf = dir.filePath("score.pdf").toStdString();
    const std::string blank = dir.filePath("blank.pdf").toStdString();
    int pagesDrawn = 0;
    ASSERT_TRUE(WritePdf(pdf, 50, 30, 3, [&](CSurface& dc, int page) {
        EXPECT_EQ(page, ++pagesDrawn);
        DrawSample(dc);
    }, error)) << error;
    ASSERT_TRUE(WritePdf(blank, 50, 30, 3, [](CSurface&, int) {}, error)) << error;
    EXPECT_EQ(pagesDrawn, 3);
    const QByteArray bytes = ReadAll(QString::fromStdString(pdf));
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    EXPECT_EQ(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page\\b")), 3);
    // 50 x 30 mm is 141.7 x 85.0 pt; the writer rounds to whole points.
    const QRegularExpressionMatch box =
        QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)").match(QString::fromLatin1(bytes));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 141.7, 1.0);
    EXPECT_NEAR(box.captured(2).toDouble(), 85.0, 1.0);
    // Not blank: the drawing adds content (and a font) to each page.
    EXPECT_GT(bytes.size(), ReadAll(QString::fromStdString(blank)).size() + 1000);

    const std::string svg = dir.filePath("page.svg").toStdString();
    ASSERT_TRUE(WriteSvg(svg, 50, 30, DrawSample, error)) << error;
    QSvgRenderer renderer(QString::fromStdString(svg));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 5000, 3000));
    QImage shown(500, 300, QImage::Format_RGB32);
    shown.fill(Qt::white);
    QPainter painter(&shown);
    renderer.render(&painter);
    painter.end();
    EXPECT_TRUE(Black(shown, 150, 150));
    EXPECT_GT(CountBlack(shown, 250, 100, 450, 200), 20);
    EXPECT_FALSE(Black(shown, 150, 50));
}

TEST(Export, RefusesAbsurdSizesWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("x").toStdString();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    int drawn = 0;
    const CPictureDrawer draw = [&](CSurface&) { ++drawn; };
    const CPageDrawer drawPage = [&](CSurface&, int) { ++drawn; };
    std::string error;

    for (double bad : {nan, inf, 0.0, -10.0}) {
        error.clear();
        EXPECT_FALSE(WritePng(path, bad, 10, 96, draw, error));
        EXPECT_FALSE(error.empty());
        error.clear();
        EXPECT_FALSE(WritePng(path, 10, 10, bad, draw, error));
        EXPECT_FALSE(error.empty());
        error.clear();
        EXPECT_FALSE(WritePdf(path, 10, bad, 1, drawPage, error));
        EXPECT_FALSE(error.empty());
        error.clear();
        EXPECT_FALSE(WriteSvg(path, bad, 10, draw, error));
        EXPECT_FALSE(error.empty());
    }
    // Beyond the bounds: 10 m at 10000 dpi would be 3.9e6 pixels on a side.
    EXPECT_FALSE(WritePng(path, 10000, 10, 10000, draw, error));
    EXPECT_FALSE(WritePng(path, 2000, 2000, 2000, draw, error));  // 2.5e9 pixels
    EXPECT_FALSE(WritePdf(path, 10000, 10, 1, drawPage, error));
    EXPECT_FALSE(WritePdf(path, 10, 10, 0, drawPage, error));
    EXPECT_FALSE(WriteSvg(path, 10, 1e9, draw, error));
    EXPECT_EQ(drawn, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    // A path that cannot be written is an error too.
    EXPECT_FALSE(WritePng(dir.filePath("missing/x.png").toStdString(), 10, 10, 96, draw, error));
    EXPECT_FALSE(WritePdf(dir.filePath("missing/x.pdf").toStdString(), 10, 10, 1, drawPage, error));
    EXPECT_FALSE(WriteSvg(dir.filePath("missing/x.svg").toStdString(), 10, 10, draw, error));
}
