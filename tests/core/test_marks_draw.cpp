// Geometry of the six span marks, drawn through their three slots onto the recording
// surface. Default settings: UnitWidth 6, PitchBetweenLine 2.5, chord zone 4.5, triplet
// zone 2.5, upper margin 10 (string 1 lies 1700 below a line's top), FlagHeight 1.5,
// FlagMargin 0.5, margins 20, so xL = 2000 + 1200 (TAB head) and xR = 21000 - 2000.
// The fret font is 72 tenths of a point: 254 high, 152 per character on this surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ScoreFixture.h"
#include "display/Font.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
using Lines = std::vector<std::string>;

constexpr int32_t Line0 = -1500;  // tops of two consecutive lines (39.5 mm apart)
constexpr int32_t Line1 = -5450;

class MarkDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto font = std::make_unique<CFont>();
        font->Name = "Fret";
        font->Size = 72;
        font->Height = CRecordingSurface::EmHeight(72);
        Score->Settings.FontFret.Font = std::move(font);
        Score->MemoryDC = std::make_unique<CMemoryDC>();
    }

    // An item of one unit at x on the line with the given top; a note records its stem
    // as its drawing would (the column's centre, 8 mm below the line's top).
    template <class T>
    T* Add(int32_t x, int32_t top)
    {
        auto item = std::make_unique<T>(Score.get(), 1);
        item->Rect = {x, top, x + 600, top - 3950};
        if constexpr (std::is_same_v<T, CItemNote>) {
            item->StemX = x + 300;
            item->StemTipY = top - 800;
        }
        T* raw = item.get();
        Score->AddUnitItem(std::move(item));
        return raw;
    }

    template <class M>
    M* Span(CScoreItem* start, CScoreItem* end)
    {
        auto mark = std::make_unique<M>(Score.get());
        mark->SetStartItem(start);
        mark->SetEndItem(end);
        start->AttachMark(mark.get());
        end->AttachMark(mark.get());
        M* raw = mark.get();
        Score->AddSpanMark(std::move(mark));
        return raw;
    }

    // The trace without font selections (checked on their own below).
    Lines Shapes() const
    {
        Lines out;
        for (const std::string& line : Dc.TraceLines())
            if (line.rfind("Font ", 0) != 0)
                out.push_back(line);
        return out;
    }

    // The font selected when the first DrawText of the trace was drawn.
    std::string FontOfFirstText() const
    {
        std::string font = "default";
        for (const CRecordedCall& call : Dc.Calls()) {
            if (call.What == CRecordedCall::Kind::Font)
                font = call.DefaultFont ? "default" : call.Text;
            if (call.What == CRecordedCall::Kind::DrawText && !call.Measuring)
                return font;
        }
        return "none";
    }

    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score = std::make_unique<CScore>(Store);
    CRecordingSurface Dc;
};

// ---------------------------------------------------------------------------------

TEST_F(MarkDrawing, BeamJoinsStemTipsAndDeeperLevelsHangLower)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    b->StemTipY = -2350;  // the top comes from the start tip, the bottom from the end tip
    auto* first = Span<CConnectedNoteFlag>(a, b);
    auto* second = Span<CConnectedNoteFlag>(a, b);
    second->SetLevel(2);
    auto* fourth = Span<CConnectedNoteFlag>(a, b);
    fourth->SetLevel(4);
    auto* zero = Span<CConnectedNoteFlag>(a, b);
    zero->SetLevel(0);

    for (CConnectedNoteFlag* beam : {first, second, fourth, zero})
        beam->DrawAtEnd(Dc, b->Rect);
    // Each level lowers by trunc((0.5 + 1.5) x -100) = -200; the bar is 150 high.
    EXPECT_EQ(Shapes(), (Lines{"Rectangle 3500 -2300 4700 -2500", "Rectangle 3500 -2500 4700 -2700",
                               "Rectangle 3500 -2900 4700 -3100", "Rectangle 3500 -2300 4700 -2500"}));
    EXPECT_EQ(first->DrawState, 2);
}

TEST_F(MarkDrawing, OneNoteBeamIsAHalfColumnStub)
{
    CItemNote* n = Add<CItemNote>(3200, Line0);
    auto* left = Span<CConnectedNoteFlag>(n, n);
    left->SetSide('L');
    auto* right = Span<CConnectedNoteFlag>(n, n);
    right->SetLevel(2);

    left->DrawAtEnd(Dc, n->Rect);
    right->DrawAtEnd(Dc, n->Rect);
    n->Units = 2;  // the stub is half of the note's own width
    left->SetSide('x');
    left->DrawAtEnd(Dc, n->Rect);
    EXPECT_EQ(Shapes(), (Lines{"Rectangle 3500 -2300 3200 -2450", "Rectangle 3500 -2500 3800 -2650",
                               "Rectangle 3500 -2300 4100 -2450"}));
}

TEST_F(MarkDrawing, BeamWhoseEndsAreNotBothNotesDrawsNothing)
{
    CItemNote* n = Add<CItemNote>(3200, Line0);
    CItemRest* r = Add<CItemRest>(3800, Line0);
    CItemSpace* s = Add<CItemSpace>(4400, Line1);
    for (auto [start, end] : {std::pair<CScoreItem*, CScoreItem*>{n, r}, {r, n}, {s, s}}) {
        auto* beam = Span<CConnectedNoteFlag>(start, end);
        beam->DrawWithinLine(Dc, end->Rect, start, end);
        beam->DrawHead(Dc, start->Rect, start, end);
        beam->DrawTail(Dc, end->Rect, start, end);
    }
    EXPECT_TRUE(Dc.TraceLines().empty());
}

// ---------------------------------------------------------------------------------
// Tie on string 1: the ellipse box from trunc((-1/3 x 2.5 + 17) x 100) = 1616 to
// 1616 + 500 below the line's top, its centre line at trunc((2/3 x 2.5 + 17) x 100) = 1866.

TEST_F(MarkDrawing, TieHangsUnderItsStringWithTheLabelBelow)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    auto* tie = Span<CTie>(a, b);
    tie->SetText("h");
    auto* bare = Span<CTie>(a, b);

    tie->DrawAtEnd(Dc, b->Rect);
    bare->DrawAtEnd(Dc, b->Rect);
    EXPECT_EQ(Shapes(), (Lines{"Arc 3500 -3116 4700 -3616 3500 -3366 4700 -3366",
                               R"(DrawText 33 3500 -3616 4700 -3870 "h")",
                               "Arc 3500 -3116 4700 -3616 3500 -3366 4700 -3366",
                               R"(DrawText 33 3500 -3616 4700 -3870 "")"}));
    EXPECT_EQ(FontOfFirstText(), "Fret");
}

TEST_F(MarkDrawing, TieOnAClampedStringLiesOnTheBottomString)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(3800, Line0);
    Span<CTie>(a, b)->SetLevel(0);
    Span<CTie>(a, b)->SetLevel(9);
    Span<CTie>(a, b)->SetLevel(6);

    for (const auto& mark : Score->SpanMarks)
        mark->DrawWithinLine(Dc, b->Rect, a, b);
    // String 6: trunc((14/3 x 2.5 + 17) x 100) = 2866 and trunc((17/3 x 2.5 + 17) x 100) = 3116.
    const std::string arc = "Arc 3500 -4366 4100 -4866 3500 -4616 4100 -4616";
    EXPECT_EQ(Shapes(), (Lines{arc, R"(DrawText 33 3500 -4866 4100 -5120 "")", arc,
                               R"(DrawText 33 3500 -4866 4100 -5120 "")", arc,
                               R"(DrawText 33 3500 -4866 4100 -5120 "")"}));
}

// ---------------------------------------------------------------------------------
// Tuplet in the triplet zone: from 450 to 700 below the line's top, middle at 575.

TEST_F(MarkDrawing, TupletDigitWithBracketLeavesAGapForTheDigit)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    auto* plain = Span<CTripletMark>(a, b);
    auto* bracket = Span<CTripletMark>(a, b);
    bracket->SetLevel(12);
    bracket->SetBracket(true);

    plain->DrawAtEnd(Dc, b->Rect);
    bracket->DrawAtEnd(Dc, b->Rect);
    // "12" is 304 wide; the gap is centred on 4100.
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 37 3500 -1950 4700 -2200 "3")", R"(DrawText 37 3500 -1950 4700 -2200 "12")",
                               "MoveTo 3500 -2075", "LineTo 3500 -2200", "MoveTo 3500 -2075", "LineTo 3948 -2075",
                               "MoveTo 4252 -2075", "LineTo 4700 -2075", "LineTo 4700 -2200"}));
    EXPECT_EQ(FontOfFirstText(), "Fret");
}

TEST_F(MarkDrawing, TupletHalvesTruncateTowardZero)
{
    Score->Settings.TripletZoneHeight = 2.75;  // 275: the middle is 137 below the zone's top
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(3801, Line0);  // centres 3500 and 4101: xM = 4101 - 300
    auto* t = Span<CTripletMark>(a, b);
    t->SetBracket(true);
    t->DrawWithinLine(Dc, b->Rect, a, b);
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 37 3500 -1950 4101 -2225 "3")", "MoveTo 3500 -2087", "LineTo 3500 -2225",
                               "MoveTo 3500 -2087", "LineTo 3725 -2087", "MoveTo 3877 -2087", "LineTo 4101 -2087",
                               "LineTo 4101 -2225"}));
}

// ---------------------------------------------------------------------------------

TEST_F(MarkDrawing, ChordNameFillsTheChordZoneAsWideAsItsText)
{
    CItemNote* n = Add<CItemNote>(3800, Line0);
    auto chord = [&](const char* text, bool framed) {
        auto mark = std::make_unique<CChordMark>(Score.get());
        mark->Text = text;
        mark->Framed = framed;
        mark->SetStartItem(n);
        mark->SetEndItem(n);
        mark->DrawAtEnd(Dc, n->Rect);
        mark->DrawHead(Dc, n->Rect, n, n);
        mark->DrawTail(Dc, n->Rect, n, n);
    };
    chord("Am7", false);
    chord("G", true);
    chord("", true);
    chord("", false);
    EXPECT_EQ(Shapes(), (Lines{R"(DrawText 32 3800 -1500 4256 -1950 "Am7")", "Brush hollow",
                               "Rectangle 3800 -1500 3952 -1950", "Brush black",
                               R"(DrawText 32 3800 -1500 3952 -1950 "G")", "Brush hollow",
                               "Rectangle 3800 -1500 3800 -1950", "Brush black",
                               R"(DrawText 32 3800 -1500 3800 -1950 "")", R"(DrawText 32 3800 -1500 3800 -1950 "")"}));
    EXPECT_EQ(FontOfFirstText(), "Fret");
}

// ---------------------------------------------------------------------------------
// Vibrato with the 588 x 152 wave: limited by the 600 unit width, s = 600 / 588, so each
// copy is 600 wide and trunc(152 x s) = 155 high, lowered by (250 - 155) / 2 = 47 below
// its string's line. The bottom string lies 2950 below the line's top.

TEST_F(MarkDrawing, VibratoRepeatsWavesThatEndWithinTheEndColumn)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    auto* three = Span<CVibrato>(a, b);
    auto* one = Span<CVibrato>(a, a);
    one->SetLevel(2);  // string 2: 1950 below the top

    three->DrawAtEnd(Dc, b->Rect);
    one->DrawAtEnd(Dc, a->Rect);
    EXPECT_EQ(Shapes(), (Lines{"StretchBlt 3200 -4497 600 -155 139 588 152",
                               "StretchBlt 3800 -4497 600 -155 139 588 152",
                               "StretchBlt 4400 -4497 600 -155 139 588 152",
                               "StretchBlt 3200 -3497 600 -155 139 588 152"}));
    EXPECT_EQ(Score->MemoryDC->SelectedBitmap(), nullptr);
}

TEST_F(MarkDrawing, VibratoHeightLimitedWaveIsCentredInItsUnit)
{
    Score->Settings.PitchBetweenLine = 1.0;  // s = 100 / 152: 386 x 100, moved right by 107
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    Span<CVibrato>(a, b)->DrawAtEnd(Dc, b->Rect);
    EXPECT_EQ(Shapes(), (Lines{"StretchBlt 3307 -3700 386 -100 139 588 152",
                               "StretchBlt 3693 -3700 386 -100 139 588 152",
                               "StretchBlt 4079 -3700 386 -100 139 588 152",
                               "StretchBlt 4465 -3700 386 -100 139 588 152"}));
}

TEST_F(MarkDrawing, VibratoWithoutBitmapOrMemorySurfaceDrawsNothingAndRestoresTheBitmap)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    auto* v = Span<CVibrato>(a, a);
    CBitmap other;
    Score->MemoryDC->SelectBitmap(&other);
    v->DrawAtEnd(Dc, a->Rect);
    EXPECT_EQ(Shapes().size(), 1u);
    EXPECT_EQ(Score->MemoryDC->SelectedBitmap(), &other);

    Dc.Clear();
    Score->MemoryDC.reset();
    v->DrawAtEnd(Dc, a->Rect);
    Score->MemoryDC = std::make_unique<CMemoryDC>();
    Score->VibratoBitmap.reset();
    v->DrawAtEnd(Dc, a->Rect);
    EXPECT_TRUE(Dc.TraceLines().empty());
}

TEST_F(MarkDrawing, VibratoUnderAbsurdWidthsEnds)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    auto* v = Span<CVibrato>(a, a);
    Score->Settings.UnitWidth = 0;  // copies of no width would never move on
    v->DrawHead(Dc, a->Rect, a, a);
    EXPECT_EQ(Shapes().size(), 1u);

    Dc.Clear();
    Score->Settings.UnitWidth = 0.01;  // one-unit copies up to a line end far beyond int32
    Score->Settings.PageWidth = 1e12;
    v->DrawHead(Dc, a->Rect, a, a);
    EXPECT_GT(Shapes().size(), 1000u);
    EXPECT_LE(Shapes().size(), 65536u);
}

// ---------------------------------------------------------------------------------
// Repeat ending: the bracket line 450 below the line's top, the hook from the top string
// line (1700 below), the right end half a unit (300) before the end column's right edge.

TEST_F(MarkDrawing, RepeatEndingHooksFromTheTopStringAndEndsHalfAUnitEarly)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    auto* ending = Span<CRepeatNum>(a, b);
    ending->Text = "1.";
    ending->DrawAtEnd(Dc, b->Rect);
    EXPECT_EQ(Shapes(), (Lines{"MoveTo 3200 -3200", "LineTo 3200 -1950", "LineTo 4700 -1950",
                               R"(DrawText 256 3200 -1950 4700 -3200 "1.")"}));
    EXPECT_EQ(FontOfFirstText(), "Fret");
}

// ---------------------------------------------------------------------------------

TEST_F(MarkDrawing, EveryMarkRestoresTheFontAndBrushItSelected)
{
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line1);
    auto* chord = Span<CChordMark>(a, a);
    chord->Framed = true;
    Span<CTie>(a, b);
    Span<CTripletMark>(a, b);
    Span<CRepeatNum>(a, b);
    const CFont previous{"Other", 100, 352};
    Dc.SelectFont(&previous);
    for (const auto& mark : Score->SpanMarks) {
        mark->DrawWithinLine(Dc, a->Rect, a, b);
        mark->DrawHead(Dc, a->Rect, a, b);
        mark->DrawTail(Dc, b->Rect, a, b);
        EXPECT_EQ(Dc.CurrentFont(), &previous);
        EXPECT_EQ(Dc.CurrentBrush(), CBrush::Black);
    }
}

TEST_F(MarkDrawing, WithoutFretFontTextMeasuresZero)
{
    Score->Settings.FontFret.Font.reset();
    CItemNote* a = Add<CItemNote>(3200, Line0);
    CItemNote* b = Add<CItemNote>(4400, Line0);
    auto* t = Span<CTripletMark>(a, b);
    t->SetBracket(true);
    auto* tie = Span<CTie>(a, b);
    t->DrawAtEnd(Dc, b->Rect);
    tie->DrawAtEnd(Dc, b->Rect);
    const Lines shapes = Shapes();
    ASSERT_EQ(shapes.size(), 10u);
    EXPECT_EQ(shapes[4], "LineTo 4100 -2075");  // no gap for the digit
    EXPECT_EQ(shapes[5], "MoveTo 4100 -2075");
    EXPECT_EQ(shapes[9], R"(DrawText 33 3500 -3616 4700 -3616 "")");  // a label of no height
}
TEST_F(MarkDrawing, AbsurdSettingsSaturateInsteadOfWrapping)
{
    ScoreSettings& s = Score->Settings;
    s.PageWidth = 1e12;
    s.MarginLeft = -1e12;
    s.ChordZoneHeight = 1e12;
    s.PitchBetweenLine = -1e300;
    s.FlagHeight = 1e12;
    s.UnitWidth = std::nan("");
    CItemNote* a = Add<CItemNote>(2000000000, Line0);
    CItemNote* b = Add<CItemNote>(-2000000000, Line1);
    a->StemTipY = -2000000000;
    auto* beam = Span<CConnectedNoteFlag>(a, b);
    beam->SetLevel(2147483647);
    auto* tie = Span<CTie>(a, b);
    Span<CTripletMark>(a, b)->SetBracket(true);
    Span<CVibrato>(a, b);
    Span<CRepeatNum>(a, b);
    for (const auto& mark : Score->SpanMarks) {
        mark->DrawWithinLine(Dc, b->Rect, a, b);
        mark->DrawHead(Dc, a->Rect, a, b);
        mark->DrawTail(Dc, b->Rect, a, b);
    }
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t min = std::numeric_limits<int32_t>::min();
    Dc.Clear();
    beam->DrawHead(Dc, a->Rect, a, b);
    tie->DrawTail(Dc, b->Rect, a, b);
    const Lines shapes = Shapes();
    ASSERT_GE(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], "Rectangle 2000000300 " + std::to_string(min) + " " + std::to_string(max) + " " +
                             std::to_string(min));
    // 2 x xL - x2 with xL at the bottom of the range
    EXPECT_EQ(shapes[1].rfind("Arc " + std::to_string(min) + " ", 0), 0u) << shapes[1];
}

// ---------------------------------------------------------------------------------
// Through the page drawing, with the default fret font (90 tenths: 317 high, "3" 190
// wide). 26 columns fit a line, so item 26 begins line 1 (top -5450) and item 52 line 2
// (top -9400). A mark's calls are those that its tokens add to the page: the trace of
// the score minus the trace of the same score without mark tokens.

Lines PageTrace(const std::string& text)
{
    ReadScore read(text);
    read.Score->LayoutScore();
    CPageView view;
    view.Prepare(*read.Score, false);
    CRecordingSurface dc;
    view.Paint(dc, *read.Score, 1);
    return dc.TraceLines();
}

std::string WithoutMarks(const std::string& text)
{
    std::string out;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t to = text.find('/', from);
        to = to == std::string::npos ? text.size() : to;
        const std::string token = text.substr(from, to - from);
        bool mark = false;
        for (const char* prefix : {"fs", "fe", "_s", "_e", "3s", "3e", "vbs", "vbe", "[s", "[e", "ch"})
            mark = mark || token.rfind(prefix, 0) == 0;
        if (!mark)
            out += token + "/";
        from = to + 1;
    }
    return out;
}

// Sorted, font selections left out; fails the test when the marks changed anything else.
Lines MarkCalls(const std::string& text)
{
    Lines with = PageTrace(text);
    Lines base = PageTrace(WithoutMarks(text));
    auto fontless = [](Lines& lines) {
        std::erase_if(lines, [](const std::string& line) { return line.rfind("Font ", 0) == 0; });
        std::sort(lines.begin(), lines.end());
    };
    fontless(with);
    fontless(base);
    Lines extra;
    std::set_difference(with.begin(), with.end(), base.begin(), base.end(), std::back_inserter(extra));
    EXPECT_TRUE(std::includes(with.begin(), with.end(), base.begin(), base.end()));
    return extra;
}

Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string Notes(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "n8cn2/";
    return text;
}

TEST(MarksOnPage, MarksOverTwoBreaksDrawHeadAndTailButNothingOnTheMiddleLine)
{
    const Lines calls =
        MarkCalls("n8cn0/fs8/fs16/_s1/3s[/vbs1/[s1./" + Notes(59) + "n8cn3/fe/fe/_e/3e/vbe/[e/" + Notes(4));
    Lines expected{
        "Rectangle 3500 -2300 19000 -2450", "Rectangle 3500 -2500 19000 -2650",
        "Arc 3500 -3116 34500 -3616 3500 -3366 19000 -3616",
        R"(DrawText 34 3500 -3616 19000 -3933 "")", R"(DrawText 38 3500 -1950 19000 -2200 "3")", "MoveTo 3500 -2075",
        "LineTo 3500 -2200", "MoveTo 3500 -2075", "LineTo 18810 -2075", "MoveTo 3200 -3200", "LineTo 3200 -1950",
        "LineTo 19000 -1950", R"(DrawText 256 3200 -1950 19000 -3200 "1.")",
        // line 2: the end note is item 60, at 8000..8600 with its stem at 8300
        "Rectangle 3200 -10200 8300 -10350", "Rectangle 3200 -10400 8300 -10550",
        "Arc -1900 -11016 8300 -11516 3200 -11516 8300 -11266",
        R"(DrawText 32 3200 -11516 8300 -11833 "")", R"(DrawText 36 3200 -9850 8300 -10100 "3")", "MoveTo 3390 -9975",
        "LineTo 8300 -9975", "LineTo 8300 -10100", "MoveTo 2000 -9850", "LineTo 8300 -9850"};
    for (int32_t x = 3200; x + 600 <= 19000; x += 600)
        expected.push_back("StretchBlt " + std::to_string(x) + " -3247 600 -155 139 588 152");
    for (int32_t x = 2000; x + 600 <= 8600; x += 600)
        expected.push_back("StretchBlt " + std::to_string(x) + " -11147 600 -155 139 588 152");
    EXPECT_EQ(calls, Sorted(expected));
}

TEST(MarksOnPage, OnlyMarksBetweenTwoNotesGetAHeadPiece)
{
    // A rest and a space as ends: the tails still come, on line 1 (end note at 5600..6200).
    // The beam between two notes gets its head as well.
    const Lines calls = MarkCalls("r4/_s1/3s/n8cn0/[s2./fs8/" + Notes(28) + "n8cn3/_e/3e/fe/ /[e/" + Notes(3));
    EXPECT_EQ(calls, Sorted({"Rectangle 4100 -2300 19000 -2450", "Rectangle 3200 -6250 5900 -6400",
                             "Arc 500 -7066 5900 -7566 3200 -7566 5900 -7316",
                             R"(DrawText 32 3200 -7566 5900 -7883 "")", R"(DrawText 36 3200 -5900 5900 -6150 "3")",
                             "MoveTo 2000 -5900", "LineTo 6500 -5900"}));
}

TEST(MarksOnPage, NestedAndOverlappingMarksOnOneLine)
{
    // Beams of two levels with a tie overlapping them, a triplet nested in a quintuplet,
    // and a one-note stub, attached twice to its note and so drawn twice.
    const Lines calls = MarkCalls("n16cn0/fs8/fs16/_s1/n16cn2/fe/n16cn3/_e/n16cn5/fe/n8cn0/3s5[/n8cn0/3s/n8cn0/"
                                  "n8cn0/3e/n8cn0/3e/n8cn7/fs8</fe");
    EXPECT_EQ(calls, Sorted({"Rectangle 3500 -2500 4100 -2650", "Arc 3500 -3116 4700 -3616 3500 -3366 4700 -3366",
                             R"(DrawText 33 3500 -3616 4700 -3933 "")", "Rectangle 3500 -2300 5300 -2450",
                             R"(DrawText 37 6500 -1950 7700 -2200 "3")", R"(DrawText 37 5900 -1950 8300 -2200 "5")",
                             "MoveTo 5900 -2075", "LineTo 5900 -2200", "MoveTo 5900 -2075", "LineTo 7005 -2075",
                             "MoveTo 7195 -2075", "LineTo 8300 -2075", "LineTo 8300 -2200",
                             "Rectangle 8900 -2300 8600 -2450", "Rectangle 8900 -2300 8600 -2450"}));
}
}  // namespace
