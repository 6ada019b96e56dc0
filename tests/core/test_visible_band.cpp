// A paint limited to a band of the page (the part a repaint exposes) walks the slots
// outside the band without drawing them. Everything a paint leaves behind must be as
// after a full paint: every item's Rect, every mark's DrawState, and the drawing inside
// the band itself. The score crosses every line break with beams, ties, tuplets,
// vibrato and repeat endings, and ends some marks on rests (which get no head piece).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ScoreFixture.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"

namespace
{
constexpr int ItemsPerLine = 26;  // default settings
constexpr int Lines = 15;         // three printed pages

// Item i of the score, with marks opened near each line's end and closed on the next
// line (or two lines on), plus marks within lines.
std::string MarkedScore()
{
    std::string text = "tmBand/tsrt1Test\n";
    for (int i = 0; i < ItemsPerLine * Lines; ++i) {
        const int column = i % ItemsPerLine;
        const bool rest = column == 5 || column == 2;
        text += rest ? "r8/" : "n8cn" + std::to_string(i % 12) + "." + std::to_string(i % 5) + "/";
        if (column == 23)
            text += "_sh3/3s[/vbs2/[s1./";
        if (column == 24)
            text += "fs8/";
        if (column == 1 && i > ItemsPerLine)
            text += "fe/_e/3e/vbe/";
        if (column == 2 && i > ItemsPerLine)
            text += "[e/";  // ends on a rest: the head is left out
        if (column == 10 && (i / ItemsPerLine) % 3 == 0)
            text += "fs16/";  // closed two lines on
        if (column == 8 && (i / ItemsPerLine) % 3 == 2)
            text += "fe/";
        if (column == 12)
            text += "chAm7/3s/";
        if (column == 14)
            text += "3e/|/";
        text += "\n";
    }
    return text;
}

struct CAfterPaint
{
    std::vector<CRect> Rects;
    std::vector<int32_t> States;
    bool operator==(const CAfterPaint&) const = default;
};

// Forgets what the last paint left, so that the next one has to set it all.
void Forget(CScore& score)
{
    for (auto& item : score.UnitItems)
        item->Rect = CRect{};
    for (auto& mark : score.SpanMarks)
        mark->DrawState = 0;
}

CAfterPaint Left(const CScore& score)
{
    CAfterPaint after;
    for (const auto& item : score.UnitItems)
        after.Rects.push_back(item->Rect);
    for (const auto& mark : score.SpanMarks)
        after.States.push_back(mark->DrawState);
    return after;
}

// The vertical extent of a drawing call, if it has one.
std::optional<std::pair<int32_t, int32_t>> Extent(const CRecordedCall& call)
{
    const std::vector<int32_t>& a = call.Args;
    std::vector<int32_t> ys;
    switch (call.What) {
    case CRecordedCall::Kind::MoveTo:
    case CRecordedCall::Kind::LineTo:
        ys = {a[1]};
        break;
    case CRecordedCall::Kind::Rectangle:
    case CRecordedCall::Kind::Ellipse:
    case CRecordedCall::Kind::RoundRect:
    case CRecordedCall::Kind::DrawText:
        ys = {a[1], a[3]};
        break;
    case CRecordedCall::Kind::Arc:
        ys = {a[1], a[3], a[5], a[7]};
        break;
    case CRecordedCall::Kind::Polygon:
        for (std::size_t i = 1; i < a.size(); i += 2)
            ys.push_back(a[i]);
        break;
    case CRecordedCall::Kind::StretchBlt:
        ys = {a[1], a[1] + a[3]};
        break;
    default:
        return std::nullopt;
    }
    const auto [low, high] = std::minmax_element(ys.begin(), ys.end());
    return std::make_pair(*low, *high);
}

bool IsSubsequence(const std::vector<CRecordedCall>& part, const std::vector<CRecordedCall>& whole)
{
    auto it = whole.begin();
    for (const CRecordedCall& call : part) {
        it = std::find(it, whole.end(), call);
        if (it == whole.end())
            return false;
        ++it;
    }
    return true;
}

struct CBandedPaint : ReadScore
{
    CBandedPaint() : ReadScore(MarkedScore()) { Score->LayoutScore(); }

    // Paints page `page` whole and within `band`, and compares what the two leave.
    void Compare(CBand band, bool printing, int32_t page, const char* what)
    {
        SCOPED_TRACE(what);
        View.Prepare(*Score, printing);
        Forget(*Score);
        CRecordingSurface full;
        View.Paint(full, *Score, page);
        const CAfterPaint expected = Left(*Score);

        Forget(*Score);
        CRecordingSurface banded;
        View.Paint(banded, *Score, page, band);
        EXPECT_TRUE(Score->DeferredMarks.empty());
        EXPECT_EQ(Left(*Score), expected);

        // Nothing is drawn that the full paint does not draw, in the same order ...
        EXPECT_TRUE(IsSubsequence(banded.Calls(), full.Calls()));
        // ... everything the full paint draws inside the band is drawn ...
        std::size_t inside = 0;
        for (const CRecordedCall& call : full.Calls()) {
            const auto extent = Extent(call);
            if (!extent || extent->first < band.Bottom || extent->second > band.Top)
                continue;
            ++inside;
            const auto count = [&](const std::vector<CRecordedCall>& calls) {
                return std::count(calls.begin(), calls.end(), call);
            };
            EXPECT_EQ(count(banded.Calls()), count(full.Calls())) << FormatCall(call);
        }
        EXPECT_GT(inside, 0u);
        // ... and the slots outside it cost no drawing.
        EXPECT_LT(banded.Calls().size() * 5, full.Calls().size() * 3);
    }

    CPageView View;
};

// The slot r of a page: from its top down to the next slot's top.
CBand Slots(int first, int last)
{
    const auto top = [](int r) { return static_cast<int32_t>(-(r * 3950 + 1500)); };
    return {top(first), top(last + 1)};
}
}  // namespace

TEST(VisibleBand, RectsAndMarkDecisionsAreThoseOfAFullPaint)
{
    CBandedPaint paint;
    ASSERT_EQ(paint.Score->PageCount, 3);
    ASSERT_EQ(paint.Score->LineCount, Lines + 1);
    // Every kind of mark is present, and some cross more than one break.
    ASSERT_GT(paint.Marks(), std::size_t{Lines * 6});

    paint.Compare(Slots(0, 0), false, 1, "the title only");
    paint.Compare(Slots(1, 1), false, 1, "the first TAB line: heads drawn, tails walked");
    paint.Compare(Slots(2, 2), false, 1, "one line in the middle: tails and heads");
    paint.Compare(Slots(7, 8), false, 1, "two lines across a break");
    paint.Compare(Slots(Lines, Lines), false, 1, "the last line");
    paint.Compare({Slots(4, 4).Top - 1000, Slots(4, 4).Bottom + 1000}, false, 1, "inside one slot");
    // Printed pages keep their own starts.
    paint.Compare(Slots(0, 1), true, 2, "the top of page 2");
    paint.Compare(Slots(4, 5), true, 3, "the bottom of page 3");
}

TEST(VisibleBand, BandOutsideThePageDrawsOnlyTheFrame)
{
    CBandedPaint paint;
    paint.View.Prepare(*paint.Score, false);
    CRecordingSurface full;
    paint.View.Paint(full, *paint.Score, 1);
    const CAfterPaint expected = Left(*paint.Score);
    Forget(*paint.Score);
    CRecordingSurface below;
    paint.View.Paint(below, *paint.Score, 1, CBand{-10'000'000, -20'000'000});
    EXPECT_EQ(Left(*paint.Score), expected);
    const std::string frameBottom = std::to_string(-(paint.Score->LineCount * 3950 + 1500));
    EXPECT_EQ(below.TraceLines(), (std::vector<std::string>{"Brush black", "Brush hollow",
                                                            "Rectangle 2000 -1500 19000 " + frameBottom,
                                                            "Brush black", "Brush black"}));
}
