// What is worked out without a full paint agrees with one: a paint limited to a band of the
// page, and the geometry the layout records for the cursor and the hit test.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ScoreFixture.h"

namespace
{
constexpr int ItemsPerLine = 26;  // default settings
constexpr int Lines = 15;         // three printed pages

std::string MarkedScore()
{
    std::string text = "tmBand/tsrt1Test\n";
    for (int i = 0; i < ItemsPerLine * Lines; ++i) {
        const int column = i % ItemsPerLine, line = i / ItemsPerLine;
        text += column == 5 || column == 2 ? "r8/" : "n8cn" + std::to_string(i % 12) + "." + std::to_string(i % 5) + "/";
        if (column == 23)
            text += "_sh3/3s[/vbs2/[s1./";
        if (column == 24)
            text += "fs8/";
        if (column == 1 && line > 0)
            text += "fe/_e/3e/vbe/";
        if (column == 2 && line > 0)
            text += "[e/";  // ends on a rest
        if (column == 10 && line % 3 == 0)
            text += "fs16/";  // closed two lines on
        if (column == 8 && line % 3 == 2)
            text += "fe/";
        if (column == 12)
            text += "chAm7/3s/";
        if (column == 14)
            text += "3e/|/";
        text += "\n";
    }
    return text;
}

// The lowest and highest y of a drawing call (empty for selections).
std::vector<int32_t> Extent(const CRecordedCall& call)
{
    const std::vector<int32_t>& a = call.Args;
    std::vector<int32_t> ys;
    if (call.What == CRecordedCall::Kind::StretchBlt)
        ys = {a[1], a[1] + a[3]};
    else  // y at odd places; a RoundRect's corner size is not
        for (std::size_t i = 1; i < (call.What == CRecordedCall::Kind::RoundRect ? 4 : a.size()); i += 2)
            ys.push_back(a[i]);
    if (ys.empty())
        return ys;
    const auto [low, high] = std::minmax_element(ys.begin(), ys.end());
    return {*low, *high};
}

struct CBandedPaint : ReadScore
{
    CBandedPaint() : ReadScore(MarkedScore()) { Score->LayoutScore(); }
    // Paints with nothing left from earlier paints; returns the Rects and DrawStates left.
    std::pair<std::vector<CRect>, std::vector<CScoreInterUnit::State>> Paint(CRecordingSurface& dc, int32_t page,
                                                              std::optional<CBand> band = std::nullopt)
    {
        for (auto& item : Score->UnitItems)
            item->Rect = CRect{};
        for (auto& mark : Score->SpanMarks)
            mark->DrawState = CScoreInterUnit::State::Idle;
        View.Paint(dc, *Score, page, band);
        EXPECT_TRUE(Score->DeferredMarks.empty());
        std::pair<std::vector<CRect>, std::vector<CScoreInterUnit::State>> left;
        for (const auto& item : Score->UnitItems)
            left.first.push_back(item->Rect);
        for (const auto& mark : Score->SpanMarks)
            left.second.push_back(mark->DrawState);
        return left;
    }
    void Compare(CBand band, bool printing, int32_t page, const char* what)
    {
        SCOPED_TRACE(what);
        View.Prepare(*Score, printing);
        CRecordingSurface full, banded;
        const auto [bandedRects, bandedStates] = Paint(banded, page, band);
        const auto [fullRects, fullStates] = Paint(full, page);
        for (std::size_t i = 0; i < fullRects.size(); ++i) {
            if (bandedRects[i] != CRect{}) {
                EXPECT_EQ(bandedRects[i], fullRects[i]) << "item " << i;
                continue;
            }
            EXPECT_TRUE(fullRects[i].bottom >= band.Top || fullRects[i].top <= band.Bottom) << "item " << i;
        }
        // A mark whose end lies only outside stays queued (1) where the full paint drew it (2).
        for (std::size_t m = 0; m < fullStates.size(); ++m)
            EXPECT_LE(bandedStates[m], fullStates[m]) << "mark " << m;
        // Nothing is drawn that the full paint does not draw, in the same order ...
        auto it = full.Calls().begin();
        for (const CRecordedCall& call : banded.Calls()) {
            it = std::find(it, full.Calls().end(), call);
            ASSERT_NE(it++, full.Calls().end()) << FormatCall(call);
        }
        // ... everything it draws inside the band is drawn, and outside costs nothing.
        std::size_t inside = 0;
        for (const CRecordedCall& call : full.Calls()) {
            const std::vector<int32_t> ys = Extent(call);
            if (ys.empty() || ys[0] < band.Bottom || ys[1] > band.Top)
                continue;
            ++inside;
            EXPECT_EQ(std::count(banded.Calls().begin(), banded.Calls().end(), call),
                      std::count(full.Calls().begin(), full.Calls().end(), call))
                << FormatCall(call);
        }
        EXPECT_GT(inside, 0u); EXPECT_LT(banded.Calls().size() * 5, full.Calls().size() * 3);
    }
    CPageView View;
};

// Slots first..last of a page, from the first's top to the top of the slot after the last.
CBand Slots(int first, int last) { return {-(first * 3950 + 1500), -((last + 1) * 3950 + 1500)}; }
}  // namespace

TEST(VisibleBand, RectsAndMarkDecisionsAreThoseOfAFullPaint)
{
    CBandedPaint paint;
    ASSERT_EQ(paint.Score->PageCount, 3);
    ASSERT_EQ(paint.Score->LineCount, Lines + 1);
    ASSERT_GT(paint.Marks(), std::size_t{Lines * 6});
    paint.Compare(Slots(0, 0), false, 1, "the title only");
    paint.Compare(Slots(1, 1), false, 1, "the first TAB line: heads drawn, tails walked");
    paint.Compare(Slots(2, 2), false, 1, "one line in the middle: tails and heads");
    paint.Compare(Slots(7, 8), false, 1, "two lines across a break");
    paint.Compare(Slots(Lines, Lines), false, 1, "the last line");
    paint.Compare({Slots(4, 4).Top - 1000, Slots(4, 4).Bottom + 1000}, false, 1, "inside one slot");
    paint.Compare(Slots(0, 1), true, 2, "the top of page 2");
    paint.Compare(Slots(4, 5), true, 3, "the bottom of page 3");
    // A band below the page draws only the frame, and sets nothing.
    paint.View.Prepare(*paint.Score, false);
    CRecordingSurface below;
    const auto [rects, states] = paint.Paint(below, 1, CBand{-10'000'000, -20'000'000});
    EXPECT_EQ(std::count(rects.begin(), rects.end(), CRect{}), static_cast<std::ptrdiff_t>(rects.size()));
    EXPECT_EQ(std::count(states.begin(), states.end(), CScoreInterUnit::State::Idle),
              static_cast<std::ptrdiff_t>(states.size()));
    EXPECT_EQ(below.TraceLines(), (std::vector<std::string>{"Brush black", "Brush hollow",
                                                            "Rectangle 2000 -1500 19000 -64700", "Brush black",
                                                            "Brush black"}));
}

namespace
{
struct CCase { const char* Name; std::string Text; int32_t Pages; };
}  // namespace

TEST(Geometry, CursorAndHitTestAgreeWithAFullPaint)
{
    const CCase cases[] = {
        {"title block and marks across every line break", MarkedScore(), 3},
        {"odd settings",
         "$PitchBetweenLine:2.37/$TripletZoneHeight:0.1/$ChordZoneHeight:0.7/$TabUpperMargin:1.1/"
         "$UnitWidth:5.55/$Strings:7/" +
             Repeat("n4nn0.1.2.3.4.5.6", 700),
         3},
        {"129 pages: the last printed page runs on past the layout", Repeat("n4nn0", 26 * 6 * 140), 129},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ReadScore read(c.Text);
        CScore& score = *read.Score;
        score.LayoutScore();
        ASSERT_EQ(score.PageCount, c.Pages);
        ExpectPaintAgreesWithLayout(score);
        // Nothing lies on the title block or on a page the score does not have.
        if (score.TitleBlock) {
            EXPECT_FALSE(score.Geometry.ItemAt(0, 3000, -1600));
        }
        EXPECT_FALSE(score.Geometry.ItemAt(c.Pages + 1, 3000, -6000));
        EXPECT_FALSE(score.Geometry.Place(0, c.Pages + 1));
    }
}
