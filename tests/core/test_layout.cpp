// Line breaking and pagination.
#include <gtest/gtest.h>

#include <cmath>

#include "ScoreFixture.h"

namespace
{
std::string Notes(int count) { return Repeat("n4nn0", count); }

struct Laid : ReadScore
{
    explicit Laid(const std::string& text) : ReadScore(text) { Score->LayoutScore(); }
};
}  // namespace

TEST(Layout, EmptyScoreKeepsOnePageAndNoLines)
{
    for (const char* text : {"", "tmTitle only", "$Strings:4"}) {
        Laid r(text);
        EXPECT_EQ(r.Score->PageCount, 1);
        EXPECT_EQ(r.Score->LineCount, 0);
        EXPECT_EQ(r.Score->PageStarts[0], CScore::NoItem);
    }
}

TEST(Layout, DefaultLineHoldsTwentySixItems)
{
    EXPECT_EQ(Laid(Notes(26)).Score->LineCount, 1);
    EXPECT_EQ(Laid(Notes(27)).Score->LineCount, 2);
    EXPECT_EQ(Laid("tmT/" + Notes(26)).Score->LineCount, 2);  // the title takes a line
    // An item whose right edge lands exactly on the line end stays: 3200 + 26 x 600 = 18800.
    EXPECT_EQ(Laid("$PageWidth:208/" + Notes(26)).Score->LineCount, 1);
    EXPECT_EQ(Laid("$PageWidth:207.99/" + Notes(26)).Score->LineCount, 2);
    // Without the head, 16000 / 600 gives 28 items to a line.
    EXPECT_EQ(Laid("$ShowTAB:N/" + Notes(28)).Score->LineCount, 1);
    EXPECT_EQ(Laid("$ShowTAB:N/" + Notes(29)).Score->LineCount, 2);
}

TEST(Layout, PagesStartWhereTheLinesRunOut)
{
    Laid plain(Notes(26 * 6 + 1));
    EXPECT_EQ(plain.Score->PageCount, 2);
    EXPECT_EQ(plain.Score->LineCount, 7);
    EXPECT_EQ(plain.Score->PageStarts[1], 156u);
    EXPECT_EQ(plain.Score->PageStarts[2], CScore::NoItem);

    Laid titled("tmT/" + Notes(26 * 5 + 1));
    EXPECT_EQ(titled.Score->PageCount, 2);
    EXPECT_EQ(titled.Score->PageStarts[1], 130u);  // page 1 holds the title and five lines
}

TEST(Layout, StopsAtTheStartOfPage129)
{
    Laid r(Notes(26 * 6 * 130));
    EXPECT_EQ(r.Score->PageCount, 129);
    EXPECT_EQ(r.Score->LineCount, 128 * 6 + 1);
    EXPECT_EQ(r.Score->PageStarts[128], 26u * 6 * 128);
    for (std::size_t page = 1; page < CScore::MaxPages; ++page)
        EXPECT_EQ(r.Score->PageStarts[page], page * 26 * 6);
}

TEST(Layout, LinesWithoutUsableHeightGetAPageEach)
{
    // Lines of no height, or of less than one 0.01 mm unit, are in PageDrawingGuards.
    for (const char* pitch : {"-50", "nan", "inf"}) {
        SCOPED_TRACE(pitch);
        Laid odd("$PitchBetweenLine:" + std::string(pitch) + "/" + Notes(60));
        EXPECT_LT(odd.Score->LinesPerPage(), 1);
        EXPECT_EQ(odd.Score->PageCount, odd.Score->LineCount);
    }
    // A page shorter than one line: every line after the first begins a new page.
    Laid shortPage("$PageHeight:40/" + Notes(26 * 4));
    EXPECT_EQ(shortPage.Score->LinesPerPage(), 0);
    EXPECT_EQ(shortPage.Score->PageCount, 4);
}

TEST(Layout, ItemWiderThanALineKeepsALineOfItsOwn)
{
    Laid r("$UnitWidth:500/" + Notes(5));
    EXPECT_EQ(r.Score->LineCount, 5);
    Laid head("$UnitsForTAB:1000/" + Notes(3));  // the head alone overruns the page
    EXPECT_EQ(head.Score->LineCount, 3);
}

TEST(Layout, AbsurdWidthsNeitherOverflowNorHang)
{
    for (const char* width : {"1e300", "-1e300", "nan", "inf", "0", "-6"}) {
        SCOPED_TRACE(width);
        Laid r("$UnitWidth:" + std::string(width) + "/" + Notes(2000));
        EXPECT_GE(r.Score->PageCount, 1);
        EXPECT_LE(r.Score->PageCount, 129);
        EXPECT_GE(r.Score->LineCount, 1);
    }
    Laid huge("$PageHeight:1e300/" + Notes(26 * 500));
    EXPECT_EQ(huge.Score->PageCount, 1);
    EXPECT_EQ(huge.Score->LineCount, 500);
}
