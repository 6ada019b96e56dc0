// The QPainter surface, font matching and the file writers.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QSvgRenderer>
#include <array>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <string_view>
#include <utility>
#include <vector>

#include "display/Font.h"
#include "display/qt/Export.h"
#include "display/qt/FontMatch.h"
#include "display/qt/PainterSurface.h"
#include "display/qt/TextCodec.h"
#include "PlektoProcess.h"
#include "symbols/Bitmap.h"

namespace
{
// 254 dpi: one pixel is 0.1 mm, ten logical units, so expected pixels are easy to read.
constexpr double Dpi = 254.0;

QImage Render(double widthMm, double heightMm, const std::function<void(CSurface&)>& draw)
{
    std::string error;
    QImage image = RenderMonoImage(widthMm, heightMm, Dpi, [&](CSurface& dc, std::optional<CBand>) { draw(dc); }, error);
    EXPECT_FALSE(image.isNull()) << error;
    return image;
}

// Text in a font, drawn into a rectangle on a page of the given size in mm.
QImage TextImage(const CFont& font, const char* text, CRect rect, uint32_t flags, double widthMm, double heightMm)
{
    return Render(widthMm, heightMm, [&](CSurface& dc) {
        dc.SelectFont(&font);
        dc.DrawText(text, rect, flags);
    });
}

// The smallest rectangle holding every black pixel (empty when there is none).
QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Black(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}
}  // namespace

TEST(PainterSurface, ShapesBrushesAndBitmapsLandAtTheirPixelsWithYUp)
{
    CBitmap bitmap;  // 2 x 2 with one black pixel at the top left
    bitmap.Width = bitmap.Height = 2;
    bitmap.Pixels = {1, 0, 0, 0};
    const QImage image = Render(60, 50, [&](CSurface& dc) {
        dc.Rectangle(1000, -2000, 3000, -3000);  // x 100..300 px, y 200..300 px
        dc.MoveTo(500, -4000);                   // a 1-unit pen still draws a pixel row
        dc.LineTo(4500, -4000);
        dc.SelectBrush(CBrush::Hollow);
        dc.Ellipse(100, -100, 1100, -1100);
        dc.RoundRect(1500, 0, 2500, -1000, 300, 300);
        dc.SelectBrush(CBrush::Black);
        dc.Ellipse(3000, 0, 4000, -1000);
        dc.PaintPolygon(std::array<CPoint, 3>{CPoint{4200, 0}, CPoint{4900, 0}, CPoint{4200, -700}});
        dc.SelectBrush(CBrush::White);
        dc.Rectangle(3400, -400, 3600, -600);  // a white box with a black outline inside the disc
        // The copy ANDs: over a black box at x 450..550, y 250..350, a bitmap covering
        // x 400..500, y 200..300 (h negative extends downward).
        dc.SelectBrush(CBrush::Black);
        dc.Rectangle(4500, -2500, 5500, -3500);
        CMemoryDC memory;
        dc.StretchBlt(0, -1200, 500, -500, memory, 0, 0, 2, 2);  // nothing selected
        memory.SelectBitmap(&bitmap);
        dc.StretchBlt(4000, -2000, 1000, -1000, memory, 0, 0, 2, 2);
        dc.StretchBlt(0, -1200, 500, -500, memory, 5, 5, 2, 2);  // source outside the bitmap
        dc.StretchBlt(0, -1200, 500, -500, memory, 0, 0, 0, 2);  // empty source
    });
    ASSERT_EQ(image.size(), QSize(600, 500));
    const std::tuple<int, int, bool> probes[] = {
        {110, 210, true}, {290, 290, true},                                        // the filled box...
        {200, 190, false}, {200, 310, false}, {90, 250, false}, {310, 250, false},  // ...and just outside it
        {60, 60, false}, {200, 50, false},                                         // hollow ellipse and box
        {320, 50, true}, {350, 50, false},                                         // solid disc, white box
        {430, 20, true}, {480, 60, false},                                         // triangle, beyond it
        {425, 225, true}, {475, 225, false}, {425, 275, false}, {475, 275, true},  // the bitmap's copy
    };
    for (const auto& [x, y, black] : probes)
        EXPECT_EQ(Black(image, x, y), black) << x << ", " << y;
    EXPECT_GT(CountBlack(image, 55, 8, 65, 13), 0);  // the hollow ellipse's outline
    EXPECT_GE(CountBlack(image, 50, 398, 450, 403), 395);  // the pen's row
}

TEST(PainterSurface, ArcRunsCounterClockwiseFromTheFirstRay)
{
    // Ellipse x 50..350 px, y 50..250 px around (200, 150); rays toward the right, top,
    // left and bottom points. Ink per quadrant, counter-clockwise from the upper right
    // (y up): upper right, upper left, lower left, lower right.
    const CPoint right{4000, -1500}, top{2000, 0}, left{0, -1500}, bottom{2000, -3000};
    const std::tuple<CPoint, CPoint, const char*> rows[] = {
        {right, top, "1000"}, {top, left, "0100"}, {left, bottom, "0010"}, {bottom, right, "0001"},
        {top, right, "0111"}, {left, right, "0011"}, {right, right, "1111"},  // equal rays: the whole ellipse
    };
    for (const auto& [from, to, quadrants] : rows) {
        const QImage image = Render(40, 30, [&](CSurface& dc) { dc.Arc(500, -500, 3500, -2500, from.x, from.y, to.x, to.y); });
        // Quadrants leave out 4 pixels each side of the axes, where neighbouring ends meet.
        const auto ink = [&](int x0, int y0, int x1, int y1) { return CountBlack(image, x0, y0, x1, y1) > 20 ? '1' : '0'; };
        const std::string found{ink(204, 0, 400, 146), ink(0, 0, 196, 146), ink(0, 154, 196, 300), ink(204, 154, 400, 300)};
        EXPECT_EQ(found, quadrants) << from.x << "," << from.y << " to " << to.x << "," << to.y;
    }
}

TEST(PainterSurface, SingleLineTextIsPlacedByItsAlignmentFlags)
{
    // "HH" in a rectangle of x 100..500 px, y 100..300 px with an em of 100 px: where
    // its ink lies, measured from the rectangle's sides in pixels.
    CFont font{"Courier New", 280, 1000};
    struct CRow { uint32_t Flags; const char* What; };
    const CRow rows[] = {{DT_LEFT | DT_TOP, "left top"}, {DT_CENTER | DT_VCENTER, "centred"}, {DT_RIGHT | DT_BOTTOM, "right bottom"}};
    for (const CRow& row : rows) {
        const QRect ink = InkBox(TextImage(font, "HH", {1000, -1000, 5000, -3000}, row.Flags | DT_SINGLELINE, 60, 40));
        ASSERT_FALSE(ink.isEmpty()) << row.What;
        const int left = ink.left(), right = ink.right(), top = ink.top(), bottom = ink.bottom();
        const int centreX = (left + right + 1) / 2 - 300, centreY = (top + bottom + 1) / 2 - 200;
        SCOPED_TRACE(std::string(row.What) + ": " + std::to_string(left) + ".." + std::to_string(right) + ", " +
                     std::to_string(top) + ".." + std::to_string(bottom));
        if (row.Flags & DT_CENTER) {  // the ink of "H" sits a little above the middle of its line
            EXPECT_LE(std::abs(centreX), 5); EXPECT_LE(std::abs(centreY), 15);
        } else if (row.Flags & DT_RIGHT) {  // the descent lies below the ink
            EXPECT_LE(500 - right, 20); EXPECT_LE(300 - bottom, 45);
            EXPECT_GT(300 - bottom, 0);
        } else {  // the ascent lies above it
            EXPECT_LE(left - 100, 20); EXPECT_LE(top - 100, 30);
            EXPECT_GT(top, 100);
        }
    }
}

TEST(PainterSurface, AnAmpersandIsDrawnAsWritten)
{
    // Not a marker that underlines the next letter: "A&B" is three cells of ink wide, and
    // "&" alone has ink.
    CFont font{"Courier New", 280, 1000};
    const auto inkWidth = [&](const char* text) {
        return InkBox(TextImage(font, text, {0, 0, 6000, -2000}, DT_SINGLELINE, 60, 20)).width();
    };
    const int cell = inkWidth("AB") - inkWidth("A");  // about 60 px
    EXPECT_GT(cell, 40);
    // Side bearings differ by a few pixels; a lost "&" would take a whole cell.
    EXPECT_NEAR(inkWidth("A&B"), inkWidth("AB") + cell, cell / 4);
    EXPECT_NEAR(inkWidth("A&&B"), inkWidth("AB") + 2 * cell, cell / 4); EXPECT_GT(inkWidth("&"), 20);
}

TEST(PainterSurface, TextIsMeasuredAndDrawnInItsRectangleClippedUnlessNoClip)
{
    // Measures are kept per surface: a font changed in place must not answer with its old
    // size, nor the same bytes in another encoding with their old width.
    CFont font{"Courier New", 90, 317}, wide{"Courier New", 240, 846};
    CRect smallRect{0, 0, 0, 0}, again = smallRect, emptyRect = smallRect, utf8 = smallRect, cp932 = smallRect;
    CRect largeRect{100, -100, 0, 0};
    const QImage image = Render(60, 40, [&](CSurface& dc) {
        dc.SelectFont(&font);
        dc.DrawText("0X", smallRect, DT_CALCRECT | DT_SINGLELINE);
        dc.DrawText("0X", again, DT_CALCRECT | DT_SINGLELINE);
        dc.DrawText("", emptyRect, DT_CALCRECT | DT_SINGLELINE);
        dc.SetTextEncoding(TextEncoding::Utf8);
        dc.DrawText("\xc3\xa9\xc3\xa9", utf8, DT_CALCRECT | DT_SINGLELINE);  // two characters, four in code page 932
        dc.SetTextEncoding(TextEncoding::Cp932);
        dc.DrawText("\xc3\xa9\xc3\xa9", cp932, DT_CALCRECT | DT_SINGLELINE);
        font.Size = 180;
        font.Height = 635;
        dc.DrawText("0X", largeRect, DT_CALCRECT | DT_SINGLELINE);
        // Rectangles too small for the text.
        dc.SelectFont(&wide);
        CRect clipped{1000, -2100, 1200, -2300}, free{1000, -3000, 1200, -3200};
        dc.DrawText("WWWW", clipped, 0);
        dc.DrawText("WWWW", free, DT_NOCLIP);
    });
    // The em height is the font's Height: two monospace cells ~1.2 em wide, a line ~1.1 em tall.
    EXPECT_NEAR(smallRect.right - smallRect.left, 1.2 * 317, 0.1 * 317);
    EXPECT_NEAR(smallRect.top - smallRect.bottom, 1.13 * 317, 0.15 * 317); EXPECT_EQ(again, smallRect);
    EXPECT_EQ(std::pair(largeRect.left, largeRect.top), std::pair(100, -100));
    EXPECT_NEAR(largeRect.right - largeRect.left, 2 * (smallRect.right - smallRect.left), 4);
    EXPECT_EQ(emptyRect.right, emptyRect.left); EXPECT_LT(utf8.right, cp932.right);
    // Measuring draws nothing (alignment: SingleLineTextIsPlacedByItsAlignmentFlags).
    EXPECT_EQ(CountBlack(image, 0, 0, 600, 200), 0);
    EXPECT_EQ(CountBlack(image, 121, 200, 600, 300), 0); EXPECT_GT(CountBlack(image, 121, 300, 600, 400), 100);
}

TEST(Export, SameDrawingGivesTheSamePixelsEveryTime)
{
    // A regression test: one-pixel lines went to the 1-bit image as runs of single pixels,
    // handed in batches to several threads that wrote into shared bytes, so now and then a
    // pixel was lost. Many long lines make such a race show within a few renders.
    std::string error;
    const auto render = [&] {
        return RenderMonoImage(800, 40, Dpi, [](CSurface& dc, std::optional<CBand>) {
            for (int32_t y = 0; y > -4000; y -= 20) {
                dc.MoveTo(0, y);
                dc.LineTo(80000, y);
            }
        }, error);
    };
    const QImage first = render();
    ASSERT_FALSE(first.isNull()) << error;
    EXPECT_GE(CountBlack(first, 0, 0, 8000, 400), 200 * 7900);
    int differing = 0;
    for (int run = 1; run < 8; ++run)
        differing += render() == first ? 0 : 1;
    EXPECT_EQ(differing, 0) << "of 7 renders differ from the first";
}

TEST(Export, PngHoldsTheRenderedPixelsAcrossBands)
{
    // Over two bands tall (a band is 4096 rows), with lines that cross the bands' edges:
    // the file, painted and compressed band by band, decodes to the image painted whole.
    const CPictureDrawer draw = [](CSurface& dc, std::optional<CBand>) {
        for (int32_t y = -100; y > -90000; y -= 1237) {
            dc.MoveTo(0, y);
            dc.LineTo(2000, y - 3000);
            dc.Rectangle(500, y, 900, y - 150);
        }
    };
    std::string error;
    const QImage whole = RenderMonoImage(20, 900, Dpi, draw, error);
    ASSERT_FALSE(whole.isNull()) << error;
    QByteArray png;
    ASSERT_TRUE(EncodePng(png, 20, 900, Dpi, draw, error)) << error;
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(png, "PNG")); EXPECT_EQ(decoded.dotsPerMeterX(), whole.dotsPerMeterX());
    EXPECT_EQ(decoded.size(), whole.size());
    EXPECT_TRUE(decoded.convertToFormat(QImage::Format_Grayscale8) == whole.convertToFormat(QImage::Format_Grayscale8));
    EXPECT_GT(CountBlack(whole, 0, 4000, 200, 4200), 0);
}

TEST(FontMatch, WindowsFaceNamesFindInstalledFonts)
{
    // Drawing must not depend on a face being installed: every name gives a usable font.
    const QFont bold = MatchFontFace(std::string_view("Courier New Bold"));
    EXPECT_EQ(bold.weight(), QFont::Bold); EXPECT_FALSE(bold.family().contains("Bold"));
    EXPECT_TRUE(MatchFontFace(std::string_view("Courier New Bold Italic")).italic());
    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        GTEST_SKIP() << "no Japanese font installed";
    // Face names arrive as code page 932 bytes from the store, or as UTF-8 from a file; each
    // finds a Japanese font, the like-shaped one where it is installed.
    const std::pair<std::string, QString> rows[] = {
        {EncodeCp932(QString::fromUtf8("ＭＳ 明朝")), "IPAMincho"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS Gothic", ""}};
    for (const auto& [name, like] : rows) {
        const QString family = MatchFontFace(name).family();
        EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) << family.toStdString();
        EXPECT_TRUE(!QFontDatabase::hasFamily(like) || family == like) << family.toStdString();
    }
}

TEST(FontMatch, EmHeightIsClampedToASaneRange)
{
    constexpr int32_t Max = std::numeric_limits<int32_t>::max(), Min = std::numeric_limits<int32_t>::min();
    // Size and Height; a zero Height comes from the size, no font measures as 9 point.
    const std::pair<CFont, int32_t> rows[] = {
        {{"x", 90, 317}, 317},       {{"x", 90, -317}, 317}, {{"x", 120, 0}, 423},
        {{"x", 0, 0}, 317},          {{"x", Max, Max}, MaxEmHeight}, {{"x", Min, Min}, MaxEmHeight},
    };
    for (const auto& [font, height] : rows)
        EXPECT_EQ(EmHeightFor(&font), height) << font.Size << " " << font.Height;
    EXPECT_EQ(EmHeightFor(nullptr), 317); EXPECT_EQ(MakeQFont(&rows[4].first).pixelSize(), MaxEmHeight);
}

TEST(Export, WritesPdfPagesInOrderAndSvgOfThePageSizeAndRefusesWhatItCannotWrite)
{
    QTemporaryDir dir;
    std::string error;
    const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
    std::vector<int> pages;
    ASSERT_TRUE(WritePdf(file("score.pdf"), 50, 30, 3, [&](CSurface& dc, int page) {
        pages.push_back(page);
        dc.Rectangle(1000, -1000, 2000, -2000);
    }, error)) << error;
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3})); EXPECT_EQ(PdfPages(ReadFile(dir.filePath("score.pdf"))), 3);
    ASSERT_TRUE(WriteSvg(file("page.svg"), 50, 30, [](CSurface&, std::optional<CBand>) {}, error)) << error;
    EXPECT_EQ(QSvgRenderer(dir.filePath("page.svg")).viewBox(), QRect(0, 0, 5000, 3000));
    // Absurd sizes are refused with a reason, before anything is drawn or written.
    const std::string path = dir.filePath("x").toStdString(), missing = dir.filePath("missing/x").toStdString();
    int drawn = 0;
    const CPictureDrawer draw = [&](CSurface&, std::optional<CBand>) { ++drawn; };
    const CPageDrawer drawPage = [&](CSurface&, int) { ++drawn; };
    const auto refused = [&](bool written) { return !written && !std::exchange(error, {}).empty(); };
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 0.0, -10.0}) {
        EXPECT_TRUE(refused(WritePng(path, bad, 10, 96, draw, error))) << bad;
        EXPECT_TRUE(refused(WritePng(path, 10, 10, bad, draw, error))) << bad;
        EXPECT_TRUE(refused(WritePdf(path, 10, bad, 1, drawPage, error))) << bad;
        EXPECT_TRUE(refused(WriteSvg(path, bad, 10, draw, error))) << bad;
    }
    // Beyond the bounds: 10 m at 10000 dpi would be 3.9e6 pixels on a side, 2 m at 2000 dpi 2.5e9 pixels.
    EXPECT_TRUE(refused(WritePng(path, 10000, 10, 10000, draw, error)));
    EXPECT_TRUE(refused(WritePng(path, 2000, 2000, 2000, draw, error)));
    EXPECT_TRUE(refused(WritePdf(path, 10000, 10, 1, drawPage, error)));
    EXPECT_TRUE(refused(WritePdf(path, 10, 10, 0, drawPage, error)));
    EXPECT_TRUE(refused(WriteSvg(path, 10, 1e9, draw, error)));
    EXPECT_EQ(drawn, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    // A path that cannot be written is an error too (the writers share the file code).
    EXPECT_TRUE(refused(WritePdf(missing + ".pdf", 10, 10, 1, drawPage, error)));
}
