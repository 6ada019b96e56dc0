// The recording surface: the exact trace forms, selections and restores, and the fixed
// text metrics that make traces repeatable.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

#include "display/Font.h"
#include "display/RecordingSurface.h"
#include "symbols/Bitmap.h"

namespace
{
CFont MakeFont(std::string name, int32_t size)
{
    CFont font;
    font.Name = std::move(name);
    font.Size = size;
    font.Height = CRecordingSurface::EmHeight(size);
    return font;
}
}  // namespace

TEST(RecordingSurface, FormatsEveryShapeCall)
{
    CRecordingSurface dc;
    dc.MoveTo(10, -20);
    dc.LineTo(-30, 40);
    dc.Rectangle(1, -2, 3, -4);
    dc.Ellipse(5, -6, 55, -56);
    dc.RoundRect(100, -200, 300, -400, 50, 60);
    dc.Arc(0, 0, 100, -100, 0, -50, 100, -50);
    const std::array<CPoint, 3> triangle{CPoint{0, 0}, CPoint{10, -20}, CPoint{-5, -7}};
    dc.PaintPolygon(triangle);

    const std::vector<std::string> expected{
        "MoveTo 10 -20",
        "LineTo -30 40",
        "Rectangle 1 -2 3 -4",
        "Ellipse 5 -6 55 -56",
        "RoundRect 100 -200 300 -400 50 60",
        "Arc 0 0 100 -100 0 -50 100 -50",
        "Polygon 3 0 0 10 -20 -5 -7",
    };
    EXPECT_EQ(dc.TraceLines(), expected);
}

TEST(RecordingSurface, StretchBltPrintsResourceIdAndSourceSizeOnly)
{
    CBitmap flag;
    flag.ResourceId = IDB_FLAG2;
    flag.Width = 80;
    flag.Height = 257;
    CMemoryDC memory;
    CRecordingSurface dc;

    memory.SelectBitmap(&flag);
    dc.StretchBlt(500, -800, 300, -900, memory, 3, 4, 80, 257);
    memory.SelectBitmap(nullptr);
    dc.StretchBlt(1, 2, 3, 4, memory, 0, 0, 5, 6);

    EXPECT_EQ(dc.Trace(), "StretchBlt 500 -800 300 -900 132 80 257\nStretchBlt 1 2 3 4 0 5 6\n");
    // The source origin is kept in the recording even though the trace leaves it out.
    ASSERT_EQ(dc.Calls().size(), 2u);
    EXPECT_EQ(dc.Calls()[0].Args[5], 3);
    EXPECT_EQ(dc.Calls()[0].Args[6], 4);
}

TEST(RecordingSurface, DrawTextQuotesTextAsJsonAfterDecoding)
{
    CRecordingSurface dc;
    dc.SetTextEncoding(TextEncoding::Utf8);
    CRect rect{0, -100, 600, -400};
    dc.DrawText("A \"b\"\\c\n\x01", rect, DT_CENTER | DT_SINGLELINE);
    CRect other{1, 2, 3, 4};
    dc.DrawText("x", other, DT_NOCLIP);

    EXPECT_EQ(dc.TraceLines()[0], R"(DrawText 33 0 -100 600 -400 "A \"b\"\\c\n\u0001")");
    EXPECT_EQ(dc.TraceLines()[1], R"(DrawText 256 1 2 3 4 "x")");
    // Drawing leaves the rectangle alone.
    EXPECT_EQ(rect, (CRect{0, -100, 600, -400}));

    // The decoder is told the surface's encoding at the time of the call.
    dc.Clear();
    dc.SetTextEncoding(TextEncoding::Cp932);
    dc.DrawText("\x83\x41", rect, DT_SINGLELINE);
    const auto decode = [](std::string_view bytes, TextEncoding encoding) {
        return (encoding == TextEncoding::Cp932 ? "sjis:" : "utf8:") + std::string(bytes.size(), '#');
    };
    EXPECT_EQ(dc.Trace(decode), "DrawText 32 0 -100 600 -400 \"sjis:##\"\n");
}

TEST(RecordingSurface, RecordsEverySelectionAndRestore)
{
    CFont fret = MakeFont("Courier New", 90);
    CFont title = MakeFont("\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 200);  // a code page 932 face name
    CRecordingSurface dc;

    const CFont* previous = dc.SelectFont(&fret);
    const CBrush brush = dc.SelectBrush(CBrush::Hollow);
    dc.SelectBrush(CBrush::White);
    dc.SelectBrush(brush);
    dc.SelectFont(&title);
    dc.SelectFont(previous);

    const auto decode = [](std::string_view bytes, TextEncoding encoding) {
        return encoding == TextEncoding::Cp932 ? std::string("MS Mincho") : std::string(bytes);
    };
    const std::vector<std::string> expected{
        "Font \"Courier New\" 90", "Brush hollow", "Brush white",   "Brush black",
        "Font \"MS Mincho\" 200",  "Font default",
    };
    EXPECT_EQ(dc.TraceLines(decode), expected);
    EXPECT_EQ(dc.CurrentFont(), nullptr);
    EXPECT_EQ(dc.CurrentBrush(), CBrush::Black);

    // The recording holds copies: a font destroyed after selection still prints.
    auto temporary = std::make_unique<CFont>(MakeFont("Arial", 120));
    dc.Clear();
    dc.SelectFont(temporary.get());
    temporary.reset();
    EXPECT_EQ(dc.Trace(), "Font \"Arial\" 120\n");
}

TEST(RecordingSurface, MeasuringUsesFixedMetricsAndIsNotTraced)
{
    struct Row
    {
        const char* name;
        int32_t size;
        TextEncoding encoding;
        std::string text;
        int32_t width;   // right - left
        int32_t height;  // top - bottom
    };
    const std::vector<Row> rows{
        // E = trunc(90 x 2540 / 720) = 317, advance trunc(317 x 0.6) = 190.
        {"ascii", 90, TextEncoding::Cp932, "0X", 380, 317},
        // E = trunc(120 x 2540 / 720) = 423, advance 253.
        {"twelve point", 120, TextEncoding::Utf8, "Am7", 759, 423},
        // Two double-byte characters, one half-width katakana and an ASCII letter.
        {"cp932 pairs", 90, TextEncoding::Cp932, "\x82\xa0\x88\x9f\xb1z", 4 * 190, 317},
        // A lead byte at the end has no trail byte and counts alone.
        {"cp932 dangling lead", 90, TextEncoding::Cp932, "a\x81", 2 * 190, 317},
        // UTF-8: one two-byte, one three-byte and one four-byte code point.
        {"utf8 code points", 90, TextEncoding::Utf8, "\xc3\xa9\xe3\x81\x82\xf0\x9f\x8e\xb8", 3 * 190, 317},
        // Invalid UTF-8 counts one character per byte that fits no sequence, as a
        // decoder replaces it: a stray continuation byte, a cut sequence, a bad lead.
        {"invalid utf8", 90, TextEncoding::Utf8, "\x83\x41\xe3\x81\xff", 4 * 190, 317},
        {"empty", 90, TextEncoding::Utf8, "", 0, 317},
        // Negative sizes measure as their magnitude.
        {"negative size", -90, TextEncoding::Utf8, "ab", 380, 317},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CFont font = MakeFont("Courier New", row.size);
        CRecordingSurface dc;
        dc.SetTextEncoding(row.encoding);
        dc.SelectFont(&font);
        CRect rect{1000, -2000, 0, 0};
        dc.DrawText(row.text, rect, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_EQ(rect.left, 1000);
        EXPECT_EQ(rect.top, -2000);
        EXPECT_EQ(rect.right - rect.left, row.width);
        EXPECT_EQ(rect.bottom - rect.top, -row.height);
        ASSERT_EQ(dc.Calls().size(), 2u);
        EXPECT_TRUE(dc.Calls()[1].Measuring);
        EXPECT_EQ(dc.Trace(), "Font \"Courier New\" " + std::to_string(row.size) + "\n");
    }
}

TEST(RecordingSurface, InitialFontAndAbsurdSizesMeasureWithoutOverflow)
{
    CRecordingSurface dc;
    CRect rect{0, 0, 0, 0};
    dc.DrawText("abc", rect, DT_CALCRECT);
    EXPECT_EQ(rect, (CRect{0, 0, 3 * 190, -317}));

    CFont huge = MakeFont("X", std::numeric_limits<int32_t>::max());
    dc.SelectFont(&huge);
    EXPECT_EQ(CRecordingSurface::EmHeight(huge.Size), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(CRecordingSurface::EmHeight(std::numeric_limits<int32_t>::min()),
              std::numeric_limits<int32_t>::max());
    CRect far{std::numeric_limits<int32_t>::max() - 5, std::numeric_limits<int32_t>::min() + 5, 0, 0};
    dc.DrawText("abc", far, DT_CALCRECT);
    EXPECT_EQ(far.right, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(far.bottom, std::numeric_limits<int32_t>::min());
}
