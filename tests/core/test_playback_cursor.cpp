// The playback cursor over played time, driven by a fake clock. At 120 quarters a minute a
// quarter lasts 0.5 s; expected places come from the geometry the screen draws with.
#include <gtest/gtest.h>

#include "ScoreFixture.h"
#include "perform/Performance.h"
#include "perform/PlaybackCursor.h"

namespace
{
struct Played
{
    ReadScore Read;
    CPerformance Performance;
    explicit Played(const std::string& text) : Read(text)
    {
        Read.Score->LayoutScore();
        Performance = PerformScore(*Read.Score);
    }
    const CScoreGeometry& Geometry() const { return Read.Score->Geometry; }
    int32_t Left(std::size_t item) const { return Geometry().Place(item, 0)->Rect.left; }
};
}  // namespace

TEST(PlaybackCursor, FollowsTheRepeatAndGlidesBetweenColumns)
{
    Played s("|:/n4nn0/n4nn1/[s1./[e/|:e/n4nn2/[s2./[e/n4nn3");
    ASSERT_EQ(s.Performance.Notes.size(), 5u);  // 0 1 | 0 2 3
    CPlaybackCursor cursor(s.Performance, s.Geometry());
    double now = 0.0;
    cursor.SetClock([&now] { return now; });

    // Each quarter's middle is over the note that sounds then, in playing order.
    for (std::size_t n = 0; n < 5; ++n) {
        now = 0.5 * static_cast<double>(n) + 0.25;
        const auto p = cursor.Now();
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Item, s.Performance.Notes[n].Item) << n;
        EXPECT_FALSE(p->BeyondDrawing);
        EXPECT_FALSE(p->Finished);
    }
    // The second pass starts over the first note again: the bar jumps back.
    const auto first = cursor.At(0.0), secondPass = cursor.At(1.0), before = cursor.At(0.99);
    EXPECT_EQ(first->X, s.Left(s.Performance.Notes[0].Item));
    EXPECT_EQ(secondPass->X, first->X);
    EXPECT_GT(before->X, secondPass->X);

    // Half-way through the first note: half-way to the second one's left.
    const int32_t a = s.Left(s.Performance.Notes[0].Item), b = s.Left(s.Performance.Notes[1].Item);
    EXPECT_EQ(cursor.At(0.25)->X, a + (b - a) / 2);
    EXPECT_LT(cursor.At(0.1)->X, cursor.At(0.2)->X);

    // Before the start: the first item; past the end: finished, over the last note.
    EXPECT_EQ(cursor.At(-3.0)->Played, 0u);
    const auto end = cursor.At(99.0);
    EXPECT_TRUE(end->Finished);
    EXPECT_EQ(end->Item, s.Performance.Notes[4].Item);

    // Clicking the note played twice starts at its first pass.
    ASSERT_EQ(s.Performance.Notes[2].Item, s.Performance.Notes[0].Item);
    const auto start = cursor.StartFor(s.Performance.Notes[2].Item);
    ASSERT_TRUE(start);
    EXPECT_EQ(s.Performance.Played[*start].Onset, 0);
    EXPECT_DOUBLE_EQ(cursor.StartSeconds(*start), 0.0);
}

TEST(PlaybackCursor, RestsAtTheDrawingsEndBeyondThePageLimit)
{
    Played s(Repeat("n4nn0", 21000));  // more lines than 129 pages hold
    const std::size_t cut = s.Read.Score->FirstItemNotShown;
    ASSERT_LT(cut, s.Read.Items());
    CPlaybackCursor cursor(s.Performance, s.Geometry());
    const auto inside = cursor.At(0.5 * static_cast<double>(cut - 1));
    EXPECT_FALSE(inside->BeyondDrawing);
    EXPECT_EQ(inside->Item, cut - 1);
    const auto beyond = cursor.At(0.5 * static_cast<double>(cut) + 0.1);
    EXPECT_TRUE(beyond->BeyondDrawing);
    EXPECT_EQ(beyond->Item, cut);  // the music goes on
    EXPECT_EQ(beyond->X, s.Geometry().Place(cut - 1, 0)->Rect.right);
    EXPECT_EQ(beyond->Line, inside->Line);

    Played empty("");
    EXPECT_FALSE(CPlaybackCursor(empty.Performance, empty.Geometry()).At(0.0));
    EXPECT_FALSE(CPlaybackCursor(s.Performance, s.Geometry()).Now());  // no clock
}
