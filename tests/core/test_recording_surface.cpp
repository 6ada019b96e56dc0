// The recording surface: the exact trace forms, selections and restores, and the fixed
// text metrics that make traces repeatable.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "display/Font.h"
#include "display/RecordingSurface.h"
#include "symbols/Bitmap.h"

namespace
{
CFont MakeFont(std::string name, int32_t size) { return CFont{std::move(name), size, CRecordingSurface::EmHeight(size)}; }
}  // namespace

TEST(RecordingSurface, TracesEveryCallSelectionAndRestoreInItsExactForm)
{
    CBitmap flag;
    flag.ResourceId = IDB_FLAG2;
    CMemoryDC memory;
    CFont fret = MakeFont("Courier New", 90);
    CFont title = MakeFont("\x82\x6c\x82\x72 \x96\xbe\x92\xa9", 200);  // a code page 932 face name
    auto temporary = std::make_unique<CFont>(MakeFont("Arial", 120));
    CRecordingSurface dc;
    // The shapes' forms are pinned by every drawing test's expected trace.
    memory.SelectBitmap(&flag);
    dc.StretchBlt(500, -800, 300, -900, memory, 3, 4, 80, 257);
    memory.SelectBitmap(nullptr);
    dc.StretchBlt(1, 2, 3, 4, memory, 0, 0, 5, 6);
    const CFont* previous = dc.SelectFont(&fret);
    const CBrush brush = dc.SelectBrush(CBrush::Hollow);
    dc.SelectBrush(CBrush::White);
    dc.SelectBrush(brush);
    dc.SelectFont(&title);
    dc.SelectFont(previous);
    EXPECT_TRUE(dc.CurrentFont() == nullptr); EXPECT_TRUE(dc.CurrentBrush() == CBrush::Black);
    dc.SelectFont(temporary.get());
    temporary.reset();  // the recording holds a copy
    // Texts are decoded in the surface's encoding at the time of the call.
    CRect rect{0, -100, 600, -400};
    dc.DrawText("\x83\x41", rect, DT_SINGLELINE);
    dc.SetTextEncoding(TextEncoding::Utf8);
    dc.DrawText("A \"b\"\\c\n\x01", rect, DT_CENTER | DT_SINGLELINE);
    EXPECT_EQ(rect, (CRect{0, -100, 600, -400}));  // drawing leaves the rectangle alone
    CRect other{1, 2, 3, 4};
    dc.DrawText("x", other, DT_NOCLIP);
    const auto decode = [](std::string_view bytes, TextEncoding encoding) {
        return encoding == TextEncoding::Cp932 ? "sjis:" + std::to_string(bytes.size()) : std::string(bytes);
    };
    // A bitmap prints its resource number (0 for none) and the source size; face names are
    // decoded as UTF-8 when they are valid UTF-8; texts are JSON strings.
    const std::vector<std::string> expected{
        "StretchBlt 500 -800 300 -900 132 80 257", "StretchBlt 1 2 3 4 0 5 6", "Font \"Courier New\" 90",
        "Brush hollow", "Brush white", "Brush black", "Font \"sjis:9\" 200", "Font default", "Font \"Arial\" 120",
        "DrawText 32 0 -100 600 -400 \"sjis:2\"", R"(DrawText 33 0 -100 600 -400 "A \"b\"\\c\n\u0001")",
        R"(DrawText 256 1 2 3 4 "x")",
    };
    EXPECT_EQ(dc.TraceLines(decode), expected);
    // The source origin is kept in the recording even though the trace leaves it out.
    EXPECT_EQ(dc.Calls()[0].Args[5], 3); EXPECT_EQ(dc.Calls()[0].Args[6], 4);
}

TEST(RecordingSurface, MeasuringUsesFixedMetricsSaturatesAndIsNotTraced)
{
    constexpr int32_t Max = std::numeric_limits<int32_t>::max(), Min = std::numeric_limits<int32_t>::min();
    // Em height E = trunc(size x 2540 / 720), one character trunc(E x 0.6) wide.
    struct Row { const char* name; int32_t size; TextEncoding encoding; std::string text; int64_t width, height; };
    const Row rows[] = {
        {"ascii", 90, TextEncoding::Cp932, "0X", 380, 317},
        {"twelve point", 120, TextEncoding::Utf8, "Am7", 759, 423},
        // Two double-byte characters, one half-width katakana and an ASCII letter.
        {"cp932 pairs", 90, TextEncoding::Cp932, "\x82\xa0\x88\x9f\xb1z", 4 * 190, 317},
        {"cp932 dangling lead", 90, TextEncoding::Cp932, "a\x81", 2 * 190, 317},
        {"utf8 code points", 90, TextEncoding::Utf8, "\xc3\xa9\xe3\x81\x82\xf0\x9f\x8e\xb8", 3 * 190, 317},
        // One character per byte that fits no sequence: stray continuation, cut sequence, bad lead.
        {"invalid utf8", 90, TextEncoding::Utf8, "\x83\x41\xe3\x81\xff", 4 * 190, 317},
        {"empty", 90, TextEncoding::Utf8, "", 0, 317},
        {"negative size", -90, TextEncoding::Utf8, "ab", 380, 317},
        {"huge size", Max, TextEncoding::Utf8, "abc", Max, Max},
    };
    for (const Row& row : rows) {
        CFont font = MakeFont("Courier New", row.size);
        CRecordingSurface dc;
        dc.SetTextEncoding(row.encoding);
        dc.SelectFont(&font);
        CRect rect{1000, -2000, 0, 0};
        dc.DrawText(row.text, rect, DT_CALCRECT | DT_SINGLELINE);
        const auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, Min, Max)); };
        EXPECT_EQ(rect, (CRect{1000, -2000, clamp(1000 + row.width), clamp(-2000 - row.height)})) << row.name;
        EXPECT_EQ(dc.Calls().size(), 2u) << row.name;
        EXPECT_TRUE(dc.Calls()[1].Measuring) << row.name;
        EXPECT_EQ(dc.Trace(), "Font \"Courier New\" " + std::to_string(row.size) + "\n") << row.name;
    }
    EXPECT_EQ(CRecordingSurface::EmHeight(Min), Max);
    // The initial font measures as 9 point.
    CRecordingSurface dc;
    CRect rect{0, 0, 0, 0};
    dc.DrawText("abc", rect, DT_CALCRECT);
    EXPECT_EQ(rect, (CRect{0, 0, 3 * 190, -317}));
}
