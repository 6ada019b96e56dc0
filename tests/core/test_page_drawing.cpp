// Page drawing. Defaults: frame 2000..19000 from -1500 down; slots 3950 apart, string 1 1700 below a
// slot's top; items 600 wide from x = 3200, 26 to a line; 6 lines to a printed page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ScoreFixture.h"

namespace
{
using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The string lines of `count` slots from slot `first` of a page.
Lines Staffs(int32_t first, int32_t count = 1)
{
    Lines lines;
    for (int32_t slot = first; slot < first + count; ++slot)
        for (int32_t y = -3200 - 3950 * slot; y >= -4450 - 3950 * slot; y -= 250)
            lines = lines + Lines{"MoveTo 2000 " + std::to_string(y), "LineTo 19000 " + std::to_string(y)};
    return lines;
}

std::size_t Count(const Lines& lines, const std::string& prefix)
{
    return static_cast<std::size_t>(std::ranges::count_if(lines, [&](const auto& l) { return l.starts_with(prefix); }));
}

const Lines Frame{"Brush hollow", "Rectangle 2000 -1500 19000 -27000", "Brush black"};

struct Drawn : ReadScore
{
    explicit Drawn(const std::string& text, bool printing = false) : ReadScore(text)
    {
        Score->LayoutScore();
        View.Prepare(*Score, printing);
    }
    Lines Page(int32_t page)
    {
        CRecordingSurface dc;
        View.DrawPage(dc, *Score, page);
        EXPECT_TRUE(Score->DeferredMarks.empty());
        return dc.TraceLines();
    }
    CPageView View;
};

}  // namespace

TEST(PageDrawing, LineOfItemsWithHeadAndBarLinesOrNoneAtAll)
{
    // A bar after a note is drawn before the next item; a bar ending the line is dropped;
    // blank slots carry no head.
    Drawn d("n4nn0/|/n8sn2.3/r4/|");
    const std::string fret = "Font \"Courier New Bold\" 90";
    const Lines line{
        "Font \"Courier New\" 120", "DrawText 37 2000 -3200 3200 -3616 \"T\"",
        "DrawText 37 2000 -3616 3200 -4032 \"A\"", "DrawText 37 2000 -4033 3200 -4449 \"B\"", "Font default",
        fret, fret, fret, fret, fret, "DrawText 33 3200 -3042 3800 -3358 \"0\"", "Font default",
        "MoveTo 3500 -2300", "LineTo 3500 -3042", "MoveTo 3800 -3200", "LineTo 3800 -4450",
        fret, fret, fret, fret, fret, "DrawText 33 3800 -3042 4400 -3358 \"2\"",
        "DrawText 33 3800 -3292 4400 -3608 \"3\"", "Font default", "MoveTo 4100 -2300", "LineTo 4100 -3042",
        "StretchBlt 4100 -2300 300 -900 131 80 257", "StretchBlt 4466 -3200 467 -1250 135 80 214",
    };
    EXPECT_EQ(d.Page(1), Frame + Staffs(0) + line + Staffs(1, 5));
    // An empty document, never laid out: the frame and blank slots to the bottom margin.
    CMemorySettingsStore store;
    CScore score(store);
    CPageView view;
    view.Prepare(score, false);
    CRecordingSurface dc;
    view.Paint(dc, score, 1);
    EXPECT_EQ(dc.TraceLines(), Lines{"Brush black"} + Frame + Staffs(0, 6) + Lines{"Brush black"});
}

TEST(PageDrawing, LinesBreakAsTheLayoutBreaksThem)
{
    // Bars after items 24 and 25: the first is drawn, the second would end the line.
    Drawn d(Repeat("n4nn0", 24) + "n4nn0/|/n4nn0/|/n4nn0");
    const Lines page = d.Page(1);
    EXPECT_EQ(d.Score->UnitItems[26]->Rect, (CRect{3200, -5450, 3800, -9400}));
    EXPECT_EQ(Count(page, "MoveTo 18200 -3200"), 1u); EXPECT_EQ(Count(page, "MoveTo 18800 -3200"), 0u);
    // An item wider than the margins keeps a line of its own; without the head, items
    // begin at the frame and no letters are drawn.
    Drawn wide("$UnitWidth:200/$ShowTAB:N/" + Repeat("r4", 8));
    EXPECT_EQ(Count(wide.Page(1), "DrawText 37"), 0u);
    EXPECT_EQ(wide.Score->UnitItems[1]->Rect, (CRect{2000, -5450, 22000, -9400}));
    ExpectPaintAgreesWithLayout(*wide.Score);
}

TEST(PageDrawing, TitleBlockTakesTheFirstSlotOfPageOneOnly)
{
    Drawn d("tmSong/tslt1Words/tslt3Capo 2/tslb2Low/tsrt2Right/tsrb1Key/" + Repeat("n4nn0", 26 * 6));
    ASSERT_EQ(d.Score->PageCount, 2);
    // Sub-title place k stands k - 1 steps of the height of "Aq" in 12 pt (423) in.
    const Lines expected =
        Lines{"Brush hollow", "Rectangle 2000 -1500 19000 -29150", "Brush black",
              "Font \"" + DefaultTitleFace + "\" 240", "DrawText 37 2000 -1500 19000 -5450 \"Song\"",
              "Font \"" + DefaultTitleFace + "\" 120", "DrawText 32 2000 -1500 19000 -5450 \"Words\"",
              "DrawText 32 2000 -2346 19000 -5450 \"Capo 2\"", "DrawText 40 2000 -1500 19000 -5027 \"Low\"",
              "DrawText 34 2000 -1923 19000 -5450 \"Right\"", "DrawText 42 2000 -1500 19000 -5450 \"Key\"",
              "Font default"} +
        Staffs(1);
    Lines page1 = d.Page(1);
    page1.resize(expected.size());
    EXPECT_EQ(page1, expected);
    d.View.Prepare(*d.Score, true);
    EXPECT_EQ(Count(d.Page(2), "DrawText 37 2000 -1500 19000 -5450"), 0u);
    EXPECT_EQ(d.Score->UnitItems[130]->Rect.top, -1500);  // page 2's first line in slot 0
}

TEST(PageDrawing, ScreenShowsEveryLineOnOneTallPagePrintingCutsIt)
{
    Drawn d(Repeat("n4nn0", 26 * 20));
    EXPECT_EQ(d.View.DocumentHeight, 825.0);  // 20 lines and both margins
    EXPECT_EQ(d.Page(1).at(1), "Rectangle 2000 -1500 19000 -80500");
    d.View.Prepare(*d.Score, true);
    EXPECT_EQ(d.View.DocumentHeight, 290.0); EXPECT_EQ(d.Page(4).at(1), Frame[1]);
    EXPECT_EQ(d.Score->UnitItems[26 * 19]->Rect.top, -5450);  // line 20 is page 4's second
    ExpectPaintAgreesWithLayout(*d.Score);
    EXPECT_EQ(Drawn(Repeat("n4nn0", 26 * 3)).View.DocumentHeight, 290.0);  // shorter than a page
}

TEST(PageDrawing, PrintedPagesAgreeWithTheLayoutWhereTruncationsDiffer)
{
    // The drawn x (2000 + 600) and the laid-out x (trunc(26.01 x 100)) differ by one: a
    // 26th item would fit the drawn x but not the layout's.
    Drawn d("$MarginLeft:20.005/$UnitWidth:6.005/$UnitsForTAB:1/$PageWidth:202/" + Repeat("r8", 160));
    ASSERT_EQ(d.Score->PageStarts[1], 150u);  // 25 items a line
    ExpectPaintAgreesWithLayout(*d.Score);
    // Six lines ending a millionth of a mm into the bottom margin (the layout counts five);
    // a frame bottom that truncates one unit above the last slot's bottom on screen.
    for (const char* settings : {"$TabLowerMargin:13.000001/", "$PitchBetweenLine:2.01/$TabLowerMargin:9.9/"})
        ExpectPaintAgreesWithLayout(*Drawn(settings + Repeat("n4nn0", 26 * 13)).Score);
    for (const char* margin : {"20", "20.005", "19.995", "20.555", "7.3"})
        for (const char* unit : {"6", "6.005", "5.995", "6.555", "4.15"})
            for (const char* head : {"$UnitsForTAB:3", "$ShowTAB:N"})
                for (const char* title : {"", "tmT/"}) {
                    SCOPED_TRACE(std::string(margin) + " " + unit + " " + head + " " + title);
                    Drawn s(std::string(title) + "$MarginLeft:" + margin + "/$UnitWidth:" + unit + "/" + head +
                            "/$PitchBetweenLine:2.3/" + Repeat("n4nn0", 300));
                    ExpectPaintAgreesWithLayout(*s.Score);
                }
}

namespace
{
// A span mark that writes which of its slots ran, with which rectangle, into the drawing.
struct CProbeMark : CScoreInterUnit
{
    CProbeMark(CScore* score, std::string name) : CScoreInterUnit(score), Name(std::move(name)) {}
    void DrawWithinLine(CSurface& dc, const CRect& r, CScoreItem*, CScoreItem*) override { Mark(dc, "within", r); }
    void DrawHead(CSurface& dc, const CRect& r, CScoreItem*, CScoreItem*) override { Mark(dc, "head", r); }
    void DrawTail(CSurface& dc, const CRect& r, CScoreItem*, CScoreItem*) override { Mark(dc, "tail", r); }
    void Mark(CSurface& dc, const std::string& slot, CRect rect) { dc.DrawText(slot + " " + Name, rect, 0); }
    std::string Name;
};

CProbeMark* Span(CScore& score, const std::string& name, std::size_t start, std::size_t end)
{
    auto mark = std::make_unique<CProbeMark>(&score, name);
    CProbeMark* probe = mark.get();
    probe->StartItem = score.UnitItems.at(start).get();
    probe->StartItem->AttachMark(probe);
    probe->EndItem = score.UnitItems.at(end).get();
    probe->EndItem->AttachMark(probe);
    score.AddSpanMark(std::move(mark));
    return probe;
}

// The probe's line for item i of a page, 26 items to a line.
std::string Probe(const std::string& what, int32_t i)
{
    const int32_t left = 3200 + 600 * (i % 26), top = -1500 - 3950 * (i / 26);
    return "DrawText 0 " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(left + 600) +
           " " + std::to_string(top - 3950) + " \"" + what + "\"";
}
}  // namespace

TEST(PageDrawing, SpanMarksDrawWithinALineOrAsHeadAndTailAcrossBreaks)
{
    // Lines of 26, 26 and 8 notes with a rest at 24.
    Drawn d(Repeat("n4nn0", 24) + "r4/" + Repeat("n4nn0", 35));
    CScore& score = *d.Score;
    std::vector<CProbeMark*> marks{Span(score, "A", 2, 5), Span(score, "B", 20, 30), Span(score, "C", 10, 55)};
    Span(score, "D", 24, 28);                   // starts at a rest: no head piece
    marks.push_back(Span(score, "E", 40, 40));  // attached twice: drawn once per entry
    const Lines page = d.Page(1);
    Lines probes;
    std::ranges::copy_if(page, std::back_inserter(probes), [](const auto& l) { return l.starts_with("DrawText 0 "); });
    // Heads at the end of their line in queue order; nothing for C on the middle line.
    EXPECT_EQ(probes, (Lines{Probe("within A", 5), Probe("head C", 10), Probe("head B", 20), Probe("tail D", 28),
                             Probe("tail B", 30), Probe("within E", 40), Probe("within E", 40),
                             Probe("tail C", 55)}));
    EXPECT_EQ(*(std::ranges::find(page, Probe("head B", 20)) + 1), "MoveTo 2000 -7150");  // before line 2
    for (const CProbeMark* mark : marks)
        EXPECT_EQ(mark->DrawState, CScoreInterUnit::State::Drawn);
    // Across a printed page break: the head on page 1, the tail on page 2.
    Drawn p(Repeat("n4nn0", 26 * 6 + 10), true);
    CProbeMark* mark = Span(*p.Score, "P", 150, 160);
    EXPECT_EQ(Count(p.Page(1), Probe("head P", 150)), 1u);
    EXPECT_EQ(mark->DrawState, CScoreInterUnit::State::Deferred);
    EXPECT_EQ(Count(p.Page(2), Probe("tail P", 160 - 156)), 1u);
    EXPECT_EQ(mark->DrawState, CScoreInterUnit::State::Drawn);
}

TEST(PageView, PrepareMakesMissingFontsOnceAndPaintRestoresTheSurface)
{
    ReadScore r("\xEF\xBB\xBFtm\xE6\x9B\xB2/$FontNameFret:" + std::string(40, 'F') + "/n4nn0");
    CScore& score = *r.Score;
    score.LayoutScore();
    auto keep = std::make_unique<CFont>();
    const CFont* kept = keep.get();
    score.Settings.FontSubTitle.Font = std::move(keep);
    CPageView view;
    view.Prepare(score, false);
    const CFont* fret = score.Settings.FontFret.Font.get();
    EXPECT_EQ(fret->Name, std::string(31, 'F'));  // cut to 31 bytes
    EXPECT_EQ(fret->Height, 317);                 // 317.5 truncated
    EXPECT_EQ(score.Settings.FontSubTitle.Font.get(), kept);  // present fonts are kept
    view.Prepare(score, true);
    EXPECT_EQ(score.Settings.FontFret.Font.get(), fret);
    EXPECT_EQ(CPageView::MakeFont(FontEntry(std::numeric_limits<int32_t>::max(), "x")).Height,
              std::numeric_limits<int32_t>::max());
    // The paint draws in the score's encoding and puts back the brush and encoding.
    ASSERT_EQ(score.Encoding, TextEncoding::Utf8);
    CRecordingSurface dc;
    dc.SelectBrush(CBrush::White);
    dc.Clear();
    view.Paint(dc, score, 1);
    const auto& calls = dc.Calls();
    EXPECT_EQ(calls.front().Brush, CBrush::Black); EXPECT_EQ(calls.back().Brush, CBrush::White);
    for (const CRecordedCall& call : calls)
        EXPECT_TRUE(call.What != CRecordedCall::Kind::DrawText || call.Encoding == TextEncoding::Utf8) << call.Text;
    EXPECT_EQ(dc.GetTextEncoding(), TextEncoding::Cp932); EXPECT_EQ(dc.CurrentFont(), nullptr);
}

// Settings without a sound page: nothing hangs, the slots stay bounded, and layout and
// drawing still place every item once.
TEST(PageDrawingGuards, LineWithoutUsableHeightGivesOneSlotPerPage)
{
    const std::string flat = "$TripletZoneHeight:0/$ChordZoneHeight:0/$TabUpperMargin:0/$TabLowerMargin:0/";
    // One string: height 0; two strings 20 mm apart upward: negative; 0.001 or 0.00001 mm,
    // under one 0.01 mm unit, count as no height too: slots could not move down the page.
    // Nor can a height that is not a number or infinite.
    for (const char* strings : {"$Strings:1/", "$Strings:2/$PitchBetweenLine:-20/", "$Strings:2/$PitchBetweenLine:1e-3/",
                                "$Strings:2/$PitchBetweenLine:1e-5/", "$PitchBetweenLine:nan/", "$PitchBetweenLine:inf/"}) {
        SCOPED_TRACE(strings);
        Drawn d(strings + flat + Repeat("n4nn0", 60));
        EXPECT_EQ(d.Score->LinesPerPage(), 0); EXPECT_EQ(d.Score->PageCount, 3);
        EXPECT_EQ(d.Score->PageStarts[1], 26u); EXPECT_EQ(d.Score->PageStarts[2], 52u);
        EXPECT_EQ(Count(d.Page(1), "LineTo 19000"), static_cast<std::size_t>(d.Score->Settings.Strings));
        ExpectPaintAgreesWithLayout(*d.Score, false);
    }
}

TEST(PageDrawingGuards, EndlessPagesStopAfterTheCapOfBlankSlots)
{
    // A page a thousand kilometres tall: the items' two lines, then the cap.
    Drawn tall("$PageHeight:1e9/" + Repeat("n4nn0", 30));
    const Lines page = tall.Page(1);
    EXPECT_EQ(page.at(1), "Rectangle 2000 -1500 19000 -2147483648");
    EXPECT_EQ(Count(page, "LineTo 19000"), 6u * (2 + CPageView::MaxBlankSlots));
    // NaN margins put every slot at one place: the items' two lines are drawn, then a
    // blank slot that would not move down ends the page.
    Drawn nan(Repeat("n4nn0", 30));
    nan.Score->Settings.MarginTop = nan.Score->Settings.MarginBottom = std::nan("");
    for (bool printing : {false, true}) {
        nan.View.Prepare(*nan.Score, printing);
        const std::size_t lines = Count(nan.Page(1), "LineTo 19000");
        EXPECT_EQ(lines, 6u * 2);
    }
}

TEST(PageDrawingGuards, HugeLengthsSaturateAndOddPagesDrawBlank)
{
    // The frame's left saturates at the int32 minimum and the head adds the maximum: -1.
    Drawn wide("$UnitWidth:1e30/$MarginLeft:-1e30/" + Repeat("n8sn1", 5));
    wide.Page(1);
    EXPECT_EQ(wide.Score->LineCount, 5);
    for (const auto& item : wide.Score->UnitItems)
        EXPECT_EQ(std::pair(item->Rect.left, item->Rect.right), std::pair(-1, std::numeric_limits<int32_t>::max() - 1));
    ExpectPaintAgreesWithLayout(*wide.Score);
    Drawn none("$Strings:0/" + Repeat("n4nn0", 30));  // no string lines, items still placed
    EXPECT_EQ(Count(none.Page(1), "LineTo 19000"), 0u);
    ExpectPaintAgreesWithLayout(*none.Score);
    Drawn many("n4nn0");  // more strings than files allow, set in code
    many.Score->Settings.Strings = 1'000'000'000;
    many.Score->Settings.PitchBetweenLine = 0.0001;
    EXPECT_EQ(Count(many.Page(1), "LineTo 19000"), static_cast<std::size_t>(MaxStrings));
    Drawn d(Repeat("n4nn0", 10), true);
    for (int32_t number : {0, -5, 2, 129, 130}) {
        const Lines page = d.Page(number);
        EXPECT_EQ(page.at(1), Frame[1]) << number;
        EXPECT_EQ(Count(page, "DrawText 33"), 0u) << number;  // no fret numbers: no notes
    }
}
