// Geometry of the six span marks on the recording surface, with default settings. The
// fret font is 72 tenths of a point: 254 high, 152 per character.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <regex>
#include <type_traits>

#include "ScoreFixture.h"
#include "display/Font.h"

namespace
{
using Lines = std::vector<std::string>;

constexpr int32_t Line0 = -1500;  // tops of two consecutive lines
constexpr int32_t Line1 = -5450;

struct MarkDrawing : ::testing::Test
{
    MarkDrawing()
    {
        Score->Settings.FontFret.Font = std::make_unique<CFont>("Fret", 72, CRecordingSurface::EmHeight(72));
        Score->MemoryDC = std::make_unique<CMemoryDC>();
    }
    // An item of one unit at x; a note's stem is the column's centre, its tip 8 mm down.
    template <class T>
    T* Add(int32_t x, int32_t top)
    {
        auto item = std::make_unique<T>(Score.get(), 1);
        item->Rect = {x, top, x + 600, top - 3950};
        if constexpr (std::is_same_v<T, CItemNote>)
            item->Drawn = true;  // as the page drawing leaves it
        T* raw = item.get();
        Score->AddUnitItem(std::move(item));
        return raw;
    }
    template <class M>
    M* Span(CScoreItem* start, CScoreItem* end, int32_t level = -1)
    {
        auto mark = std::make_unique<M>(Score.get());
        mark->StartItem = start;
        mark->EndItem = end;
        start->AttachMark(mark.get());
        end->AttachMark(mark.get());
        if constexpr (requires { mark->SetLevel(0); })
            if (level >= 0)
                mark->SetLevel(level);
        M* raw = mark.get();
        Score->AddSpanMark(std::move(mark));
        return raw;
    }
    static void DrawAllSlots(CSurface& dc, CScoreInterUnit& mark, CScoreItem* a, CScoreItem* b)
    {
        mark.DrawWithinLine(dc, b->Rect, a, b);
        mark.DrawHead(dc, a->Rect, a, b);
        mark.DrawTail(dc, b->Rect, a, b);
    }
    // The trace without font selections.
    Lines Shapes() const
    {
        Lines out = Dc.TraceLines();
        std::erase_if(out, [](const std::string& line) { return line.starts_with("Font "); });
        return out;
    }
    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score = std::make_unique<CScore>(Store);
    CRecordingSurface Dc;
    CItemNote* A = Add<CItemNote>(3200, Line0);  // two notes a column apart
    CItemNote* B = Add<CItemNote>(4400, Line0);
};

TEST_F(MarkDrawing, BeamsJoinStemTipsHangByLevelAndNeedNotesAtBothEnds)
{
    for (int32_t level : {1, 2, 4, 0})
        Span<CConnectedNoteFlag>(A, B, level)->DrawAtEnd(Dc, B->Rect);
    EXPECT_EQ(Score->SpanMarks[0]->DrawState, CScoreInterUnit::State::Drawn);
    // A one-note beam is a stub of half the note's width, to its side; the bar is 150 high.
    auto* left = Span<CConnectedNoteFlag>(A, A);
    left->SetSide('L');
    left->DrawAtEnd(Dc, A->Rect);
    Span<CConnectedNoteFlag>(A, A, 2)->DrawAtEnd(Dc, A->Rect);
    A->Units = 2;
    Span<CConnectedNoteFlag>(A, A)->DrawAtEnd(Dc, A->Rect);
    EXPECT_EQ(Shapes(), (Lines{"Rectangle 3500 -2300 4700 -2450", "Rectangle 3500 -2500 4700 -2650",
                               "Rectangle 3500 -2900 4700 -3050", "Rectangle 3500 -2300 4700 -2450",
                               "Rectangle 3500 -2300 3200 -2450", "Rectangle 3500 -2500 3800 -2650",
                               "Rectangle 3500 -2300 4100 -2450"}));
    Dc.Clear();  // no beam without notes at both ends
    CItemRest* r = Add<CItemRest>(3800, Line0);
    CItemSpace* s = Add<CItemSpace>(4400, Line1);
    for (auto [start, end] : {std::pair<CScoreItem*, CScoreItem*>{A, r}, {r, A}, {s, s}})
        DrawAllSlots(Dc, *Span<CConnectedNoteFlag>(start, end), start, end);
    EXPECT_TRUE(Dc.TraceLines().empty());
}

TEST_F(MarkDrawing, TieHangsUnderItsStringWithTheLabelBelowAndClampsTheString)
{
    Span<CTie>(A, B)->SetText("h");
    Score->SpanMarks.back()->DrawAtEnd(Dc, B->Rect);
    EXPECT_EQ(Shapes(), (Lines{"Arc 3500 -3116 4700 -3616 3500 -3366 4700 -3366",
                               R"(DrawText 33 3500 -3616 4700 -3870 "h")"}));
    // Strings out of range lie on the bottom string, as string 6 does.
    Dc.Clear();
    for (int32_t level : {0, 9, 6})
        Span<CTie>(A, B, level)->DrawWithinLine(Dc, B->Rect, A, B);
    const std::string arc = "Arc 3500 -4366 4700 -4866 3500 -4616 4700 -4616";
    const std::string label = R"(DrawText 33 3500 -4866 4700 -5120 "")";
    EXPECT_EQ(Shapes(), (Lines{arc, label, arc, label, arc, label}));
}

TEST_F(MarkDrawing, TupletBracketLeavesAGapForTheDigitAndHalvesTruncate)
{
    Span<CTripletMark>(A, B)->DrawAtEnd(Dc, B->Rect);
    auto* bracket = Span<CTripletMark>(A, B, 12);
    bracket->SetBracket(true);
    bracket->DrawAtEnd(Dc, B->Rect);
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 37 3500 -1950 4700 -2200 "3")", R"(DrawText 37 3500 -1950 4700 -2200 "12")",
                               "MoveTo 3500 -2075", "LineTo 3500 -2200", "MoveTo 3500 -2075", "LineTo 3948 -2075",
                               "MoveTo 4252 -2075", "LineTo 4700 -2075", "LineTo 4700 -2200"}));
    Dc.Clear();
    Score->Settings.TripletZoneHeight = 2.75;  // odd zone and odd span
    B->Rect.left = 3801;
    B->Rect.right = 4401;
    Span<CTripletMark>(A, B)->SetBracket(true);
    Score->SpanMarks.back()->DrawAtEnd(Dc, B->Rect);
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 37 3500 -1950 4101 -2225 "3")", "MoveTo 3500 -2087", "LineTo 3500 -2225",
                               "MoveTo 3500 -2087", "LineTo 3725 -2087", "MoveTo 3877 -2087", "LineTo 4101 -2087",
                               "LineTo 4101 -2225"}));
}

TEST_F(MarkDrawing, ChordNameFillsTheChordZoneAsWideAsItsText)
{
    CItemNote* n = Add<CItemNote>(3800, Line0);
    for (auto [text, framed] : {std::pair{"Am7", false}, {"", true}}) {
        CChordMark mark(Score.get());
        mark.Text = text;
        mark.Framed = framed;
        mark.StartItem = n;
        mark.EndItem = n;
        DrawAllSlots(Dc, mark, n, n);
    }
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 32 3800 -1500 4256 -1950 "Am7")", "Brush hollow",
                               "Rectangle 3800 -1500 3800 -1950", "Brush black",
                               R"(DrawText 32 3800 -1500 3800 -1950 "")"}));
}

TEST_F(MarkDrawing, VibratoRepeatsScaledWavesThatEndWithinTheEndColumn)
{
    // The 588 x 152 wave limited by the unit width: 600 x 155, centred on its string.
    Span<CVibrato>(A, B)->DrawAtEnd(Dc, B->Rect);
    Span<CVibrato>(A, A, 2)->DrawAtEnd(Dc, A->Rect);
    // Limited by the line spacing: 386 x 100, centred in its unit.
    Score->Settings.PitchBetweenLine = 1.0;
    Score->SpanMarks[0]->DrawAtEnd(Dc, B->Rect);
    EXPECT_EQ(Shapes(), (Lines{"StretchBlt 3200 -4497 600 -155 139 588 152", "StretchBlt 3800 -4497 600 -155 139 588 152",
                               "StretchBlt 4400 -4497 600 -155 139 588 152", "StretchBlt 3200 -3497 600 -155 139 588 152",
                               "StretchBlt 3307 -3700 386 -100 139 588 152", "StretchBlt 3693 -3700 386 -100 139 588 152",
                               "StretchBlt 4079 -3700 386 -100 139 588 152",
                               "StretchBlt 4465 -3700 386 -100 139 588 152"}));
    EXPECT_EQ(Score->MemoryDC->SelectedBitmap(), nullptr);
    // The bitmap selected before is put back; without a memory surface or bitmap nothing.
    CVibrato* v = Span<CVibrato>(A, A);
    CBitmap other;
    Score->MemoryDC->SelectBitmap(&other);
    v->DrawAtEnd(Dc, A->Rect);
    EXPECT_EQ(Score->MemoryDC->SelectedBitmap(), &other);
    Dc.Clear();
    Score->MemoryDC.reset();
    v->DrawAtEnd(Dc, A->Rect);
    Score->MemoryDC = std::make_unique<CMemoryDC>();
    Score->VibratoBitmap.reset();
    v->DrawAtEnd(Dc, A->Rect);
    EXPECT_TRUE(Dc.TraceLines().empty());
}

TEST_F(MarkDrawing, MarksWriteInTheFretFontAndRestoreTheFontAndBrush)
{
    B->Rect = {4400, Line1, 5000, Line1 - 3950};
    Span<CChordMark>(A, A)->Framed = true;
    Span<CTie>(A, B);
    Span<CTripletMark>(A, B);
    Span<CRepeatNum>(A, B);
    const CFont previous{"Other", 100, 352};
    Dc.SelectFont(&previous);
    for (const auto& mark : Score->SpanMarks) {
        Dc.Clear();
        DrawAllSlots(Dc, *mark, A, B);
        const Lines trace = Dc.TraceLines();
        const auto text = std::ranges::find_if(trace, [](const auto& l) { return l.starts_with("DrawText"); });
        EXPECT_TRUE(std::find(trace.begin(), text, "Font \"Fret\" 72") != text);  // the text is in the fret font
        EXPECT_EQ(Dc.CurrentFont(), &previous); EXPECT_EQ(Dc.CurrentBrush(), CBrush::Black);
    }
}

TEST_F(MarkDrawing, WithoutFretFontTextMeasuresZero)
{
    Score->Settings.FontFret.Font.reset();
    Span<CTripletMark>(A, B)->SetBracket(true);
    Span<CTie>(A, B);
    for (const auto& mark : Score->SpanMarks)
        mark->DrawAtEnd(Dc, B->Rect);
    const Lines shapes = Shapes();
    ASSERT_EQ(shapes.size(), 10u);
    EXPECT_EQ(shapes[4], "LineTo 4100 -2075");  // no gap for the digit
    EXPECT_EQ(shapes[9], R"(DrawText 33 3500 -3616 4700 -3616 "")");  // a label of no height
}

TEST_F(MarkDrawing, AbsurdSettingsEndAndSaturateInsteadOfWrapping)
{
    auto* v = Span<CVibrato>(A, A);
    Score->Settings.UnitWidth = 0;  // copies of no width would never move on
    v->DrawHead(Dc, A->Rect, A, A);
    EXPECT_EQ(Shapes().size(), 1u);
    Dc.Clear();
    Score->Settings.UnitWidth = 0.01;  // one-unit copies up to a line end far beyond int32
    Score->Settings.PageWidth = 1e12;
    v->DrawHead(Dc, A->Rect, A, A);
    EXPECT_TRUE(Shapes().size() > 1000u) << Shapes().size();
    EXPECT_TRUE(Shapes().size() <= 65536u) << Shapes().size();
    // Every mark under absurd settings, between items at the ends of the int32 range.
    ScoreSettings& s = Score->Settings;  // the page stays 1e12 wide
    s.MarginLeft = -1e12;
    s.ChordZoneHeight = 1e12;
    s.PitchBetweenLine = -1e300;
    s.FlagHeight = 1e12;
    s.UnitWidth = std::nan("");
    CItemNote* a = Add<CItemNote>(2000000000, Line0);
    CItemNote* b = Add<CItemNote>(-2000000000, Line1);
    auto* beam = Span<CConnectedNoteFlag>(a, b, 2147483647);
    auto* tie = Span<CTie>(a, b);
    Span<CTripletMark>(a, b)->SetBracket(true);
    Span<CVibrato>(a, b);
    Span<CRepeatNum>(a, b);
    for (const auto& mark : Score->SpanMarks)
        DrawAllSlots(Dc, *mark, a, b);
    const std::string max = std::to_string(std::numeric_limits<int32_t>::max());
    const std::string min = std::to_string(std::numeric_limits<int32_t>::min());
    Dc.Clear();
    beam->DrawHead(Dc, a->Rect, a, b);
    tie->DrawTail(Dc, b->Rect, a, b);
    const Lines shapes = Shapes();
    ASSERT_GE(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], "Rectangle 2000000300 " + min + " " + max + " " + min);
    EXPECT_TRUE(shapes[1].starts_with("Arc " + min + " ")) << shapes[1];  // 2 x xL - x2, xL at the bottom
}

// Through the page drawing, default fret font (317 high, "3" 190 wide). A mark's calls
// are what its tokens, written in braces, add to the page's trace.

Lines PageTrace(const std::string& text)
{
    ReadScore read(text);
    read.Score->LayoutScore();
    CPageView view;
    view.Prepare(*read.Score, false);
    CRecordingSurface dc;
    view.Paint(dc, *read.Score, 1);
    Lines lines = dc.TraceLines();
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("Font "); });
    std::sort(lines.begin(), lines.end());
    return lines;
}

void ExpectMarkCalls(const std::string& text, Lines expected)
{
    const Lines with = PageTrace(std::regex_replace(text, std::regex("[{}]"), ""));
    const Lines base = PageTrace(std::regex_replace(text, std::regex("\\{[^}]*\\}"), ""));
    Lines extra;
    std::set_difference(with.begin(), with.end(), base.begin(), base.end(), std::back_inserter(extra));
    EXPECT_TRUE(std::includes(with.begin(), with.end(), base.begin(), base.end()));  // nothing else changes
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(extra, expected);
}

std::string Notes(int count) { return Repeat("n8cn2", count); }
TEST(MarksOnPage, MarksOverTwoBreaksDrawHeadAndTailButNothingOnTheMiddleLine)
{
    Lines expected{
        "Rectangle 3500 -2300 19000 -2450", "Rectangle 3500 -2500 19000 -2650",
        "Arc 3500 -3116 34500 -3616 3500 -3366 19000 -3616", R"(DrawText 34 3500 -3616 19000 -3933 "")",
        R"(DrawText 38 3500 -1950 19000 -2200 "3")", "MoveTo 3500 -2075", "LineTo 3500 -2200", "MoveTo 3500 -2075",
        "LineTo 18810 -2075", "MoveTo 3200 -3200", "LineTo 3200 -1950", "LineTo 19000 -1950",
        R"(DrawText 256 3200 -1950 19000 -3200 "1.")",
        // line 2: the end note is item 60, at 8000..8600 with its stem at 8300
        "Rectangle 3200 -10200 8300 -10350", "Rectangle 3200 -10400 8300 -10550",
        "Arc -1900 -11016 8300 -11516 3200 -11516 8300 -11266", R"(DrawText 32 3200 -11516 8300 -11833 "")",
        R"(DrawText 36 3200 -9850 8300 -10100 "3")", "MoveTo 3390 -9975", "LineTo 8300 -9975", "LineTo 8300 -10100",
        "MoveTo 2000 -9850", "LineTo 8300 -9850"};
    for (int32_t x = 3200; x + 600 <= 19000; x += 600)
        expected.push_back("StretchBlt " + std::to_string(x) + " -3247 600 -155 139 588 152");
    for (int32_t x = 2000; x + 600 <= 8600; x += 600)
        expected.push_back("StretchBlt " + std::to_string(x) + " -11147 600 -155 139 588 152");
    ExpectMarkCalls("n8cn0/{fs8/fs16/_s1/3s[/vbs1/[s1./}" + Notes(59) + "n8cn3/{fe/fe/_e/3e/vbe/[e/}" + Notes(4),
                    expected);
}
}  // namespace
