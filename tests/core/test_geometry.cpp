// The geometry recorded by the layout places every item where a full paint of the
// screen and of each printed page puts it, and finds it again from a point.
#include <gtest/gtest.h>

#include <string>

#include "ScoreFixture.h"

namespace
{

// Paints the page (0: the screen) from scratch and checks, item by item, the cursor
// against the Rect the paint set and the hit test at the Rect's corners.
void ExpectGeometryMatchesPaint(CScore& score, int32_t page)
{
    SCOPED_TRACE("page " + std::to_string(page));
    const CRect notDrawn{123456789, 1, -123456789, 1};
    for (auto& item : score.UnitItems)
        item->Rect = notDrawn;
    CPageView view;
    view.Prepare(score, page != 0);
    CRecordingSurface dc;
    view.Paint(dc, score, page != 0 ? page : 1);

    const CScoreGeometry& g = score.Geometry;
    std::size_t placed = 0;
    for (std::size_t k = 0; k < score.UnitItems.size(); ++k) {
        const CRect& painted = score.UnitItems[k]->Rect;
        const std::optional<CItemPlace> place = g.Place(k, page);
        if (painted == notDrawn) {
            EXPECT_FALSE(place) << "item " << k << " is not drawn";
            continue;
        }
        ++placed;
        ASSERT_TRUE(place) << "item " << k;
        EXPECT_EQ(place->Rect, painted) << "item " << k;
        if (page != 0) {
            EXPECT_EQ(g.PrintedPage(k), page) << "item " << k;
        }
        if (painted.right > painted.left && painted.top > painted.bottom) {
            EXPECT_EQ(g.ItemAt(page, painted.left, painted.top), k);
            EXPECT_EQ(g.ItemAt(page, painted.right - 1, painted.bottom + 1), k);
            EXPECT_NE(g.ItemAt(page, painted.right - 1, painted.bottom), k);
        }
    }
    EXPECT_GT(placed, 0u);
}

struct CCase
{
    const char* Name;
    std::string Text;
    int32_t Pages;
};
}  // namespace

TEST(Geometry, CursorAndHitTestAgreeWithAFullPaint)
{
    const CCase cases[] = {
        {"title block and marks across lines",
         "tmSong/tsrt1Words/" + Repeat("n8cn3.2", 20) + "fs8/_sh3/3s[/" + Repeat("n8cn0", 10) + "fe/_e/3e/|/" +
             Repeat("r4", 26 * 12),
         3},
        {"a wide item alone on its line", "$UnitWidth:200/$ShowTAB:N/" + Repeat("r4", 8), 2},
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
        for (int32_t page = 0; page <= score.PageCount; ++page)
            ExpectGeometryMatchesPaint(score, page);
        // Nothing lies on the title block or on a page the score does not have.
        if (score.TitleBlock) {
            EXPECT_FALSE(score.Geometry.ItemAt(0, 3000, -1600));
        }
        EXPECT_FALSE(score.Geometry.ItemAt(c.Pages + 1, 3000, -6000));
        EXPECT_FALSE(score.Geometry.Place(0, c.Pages + 1));
    }
}
