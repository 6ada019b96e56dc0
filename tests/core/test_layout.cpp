// Line breaking and pagination.
#include <gtest/gtest.h>


#include "ScoreFixture.h"

namespace
{
std::string Notes(int count) { return Repeat("n4nn0", count); }

struct Laid : ReadScore
{
    explicit Laid(const std::string& text) : ReadScore(text) { Score->LayoutScore(); }
};
}  // namespace

TEST(Layout, AnItemEndingOnTheLineEndStaysOnIt)
{
    // 26 to a line and the title's line are in PageDrawing. An item whose right edge lands
    // exactly on the line end stays: 3200 + 26 x 600 = 18800.
    EXPECT_EQ(Laid("$PageWidth:208/" + Notes(26)).Score->LineCount, 1);
    EXPECT_EQ(Laid("$PageWidth:207.99/" + Notes(26)).Score->LineCount, 2);
    // Without the head, 16000 / 600 gives 28 items to a line.
    EXPECT_EQ(Laid("$ShowTAB:N/" + Notes(28)).Score->LineCount, 1);
    EXPECT_EQ(Laid("$ShowTAB:N/" + Notes(29)).Score->LineCount, 2);
    // A head that alone overruns the page leaves each item a line of its own.
    EXPECT_EQ(Laid("$UnitsForTAB:1000/" + Notes(3)).Score->LineCount, 3);
}

TEST(Layout, PagesStartWhereTheLinesRunOutAndAnEmptyScoreKeepsOne)
{
    Laid plain(Notes(26 * 6 + 1));
    EXPECT_EQ(plain.Score->PageCount, 2); EXPECT_EQ(plain.Score->PageStarts[2], CScore::NoItem);
    // An empty score keeps one page and no lines.
    for (const char* text : {"", "tmTitle only", "$Strings:4"}) {
        Laid r(text);
        EXPECT_EQ(r.Score->PageCount, 1); EXPECT_EQ(r.Score->LineCount, 0);
        EXPECT_EQ(r.Score->PageStarts[0], CScore::NoItem);
    }
}

TEST(Layout, StopsAtTheStartOfPage129)
{
    Laid r(Notes(26 * 6 * 130));
    EXPECT_EQ(r.Score->PageCount, 129); EXPECT_EQ(r.Score->LineCount, 128 * 6 + 1);
    for (std::size_t page = 1; page < CScore::MaxPages; ++page)
        EXPECT_EQ(r.Score->PageStarts[page], page * 26 * 6);
}

TEST(Layout, APageShorterThanALineHoldsOneAndAnEndlessPageAll)
{
    // Lines without a usable height are in PageDrawingGuards, absurd unit widths in Bounds.
    Laid shortPage("$PageHeight:40/" + Notes(26 * 4));
    EXPECT_EQ(shortPage.Score->LinesPerPage(), 0); EXPECT_EQ(shortPage.Score->PageCount, 4);
    Laid huge("$PageHeight:1e300/" + Notes(26 * 500));
    EXPECT_EQ(huge.Score->PageCount, 1); EXPECT_EQ(huge.Score->LineCount, 500);
}
