// The settings record: defaults, the four groups' load and save with their value
// names, units and truncation.
#include <gtest/gtest.h>

#include "model/Score.h"
#include "settings/ScoreSettings.h"
#include "settings/SettingsStore.h"
#include "settings/Units.h"

TEST(Settings, EmptyStoreGivesTheDefaults)
{
    CMemorySettingsStore store;
    CScore score(store);
    const ScoreSettings& s = score.Settings;
    EXPECT_EQ(s.PageWidth, 210.0);
    EXPECT_EQ(s.PageHeight, 290.0);
    EXPECT_EQ(s.MarginLeft, 20.0);
    EXPECT_EQ(s.MarginTop, 15.0);
    EXPECT_EQ(s.MarginRight, 20.0);
    EXPECT_EQ(s.MarginBottom, 20.0);
    EXPECT_EQ(s.TabUpperMargin, 10.0);
    EXPECT_EQ(s.TabLowerMargin, 10.0);
    EXPECT_EQ(s.ChordZoneHeight, 4.5);
    EXPECT_EQ(s.TripletZoneHeight, 2.5);
    EXPECT_EQ(s.PitchBetweenLine, 2.5);
    EXPECT_EQ(s.UnitWidth, 6.0);
    EXPECT_EQ(s.Strings, 6);
    EXPECT_EQ(s.FlagHeight, 1.5);
    EXPECT_EQ(s.FlagMargin, 0.5);
    EXPECT_EQ(s.StemHeight, 9.0);
    EXPECT_EQ(s.StemMargin, 0.5);
    EXPECT_TRUE(s.ShowTAB);
    EXPECT_EQ(s.UnitsForTAB, 2);
    EXPECT_EQ(s.FontMainTitle.Size, 240);
    EXPECT_EQ(s.FontMainTitle.Name, "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9");
    EXPECT_EQ(s.FontSubTitle.Size, 120);
    EXPECT_EQ(s.FontSubTitle.Name, s.FontMainTitle.Name);
    EXPECT_EQ(s.FontFret.Size, 90);
    EXPECT_EQ(s.FontFret.Name, "Courier New Bold");
    EXPECT_EQ(s.FontTAB.Size, 120);
    EXPECT_EQ(s.FontTAB.Name, "Courier New");
    EXPECT_EQ(score.LinesPerPage(), 6);
    EXPECT_EQ(score.PageCount, 1);
    EXPECT_EQ(score.LineCount, 0);
    EXPECT_TRUE(score.UnitItems.empty());
    EXPECT_TRUE(score.SpanMarks.empty());
    EXPECT_TRUE(score.DeferredMarks.empty());
    EXPECT_EQ(score.TitleBlock, nullptr);
    EXPECT_EQ(score.MemoryDC, nullptr);
}
