// "$Key:value" directives: converters, the one-time string count, refusals, and
// conversions that must saturate instead of overflowing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ScoreFixture.h"
#include "settings/Directives.h"

TEST(Directives, SetTheScoreBeingReadOnly)
{
    ReadScore r("$UnitWidth:5.5/$FontNameTAB:Courier New/$ShowTAB:N/$UnitsForTAB:3/$PageWidth:\n"
                "$MarginTop:-4.25e1/$StemHeight:7mm/$FontNameFret: Mono\n");
    const ScoreSettings& s = r.Score->Settings;
    EXPECT_EQ(s.UnitWidth, 5.5);
    EXPECT_EQ(s.FontTAB.Name, "Courier New");
    EXPECT_EQ(s.FontFret.Name, " Mono");  // nothing is trimmed
    EXPECT_FALSE(s.ShowTAB);
    EXPECT_EQ(s.UnitsForTAB, 3);
    EXPECT_EQ(s.PageWidth, 0.0);
    EXPECT_EQ(s.MarginTop, -42.5);
    EXPECT_EQ(s.StemHeight, 7.0);
    EXPECT_TRUE(r.Store.Values().empty());  // the store is never written
    EXPECT_EQ(ReadScore("n4nn0").Score->Settings.UnitWidth, 6.0);
}

TEST(Directives, ShowTABTakesYesOnly)
{
    for (auto [value, expected] : {std::pair{"yes", true}, {"Y", true}, {"y", true}, {"1", false},
                                   {"N", false}, {"T", false}, {"", false}}) {
        SCOPED_TRACE(value);
        ReadScore r(std::string("$ShowTAB:N/$ShowTAB:") + value);
        EXPECT_EQ(r.Score->Settings.ShowTAB, expected);
    }
}

TEST(Directives, FontDirectivesDropTheCachedFont)
{
    CMemorySettingsStore store;
    CScore score(store);
    score.Settings.FontFret.Font = std::make_unique<CFont>();
    score.Settings.FontTAB.Font = std::make_unique<CFont>();
    score.Settings.FontMainTitle.Font = std::make_unique<CFont>();
    std::istringstream in("$FontSizeFret:8/$FontNameTAB:Mono/$FontSizeSubTitle:10.5");
    CScoreReader(score).Read(in);
    EXPECT_EQ(score.Settings.FontFret.Size, 80);
    EXPECT_EQ(score.Settings.FontFret.Font, nullptr);
    EXPECT_EQ(score.Settings.FontTAB.Font, nullptr);
    EXPECT_EQ(score.Settings.FontSubTitle.Size, 100);
    EXPECT_NE(score.Settings.FontMainTitle.Font, nullptr);  // untouched entries keep theirs
}

TEST(Directives, StringsCountsOnceAndOnlyBeforeTheFirstItem)
{
    EXPECT_EQ(ReadScore("$Strings:4").Score->Settings.Strings, 4);
    // A second one is refused and takes the rest of its line with it.
    ReadScore twice("$Strings:4\n$Strings:5/n4nn0\nn4nn0.1.2.3.4");
    EXPECT_EQ(twice.Score->Settings.Strings, 4);
    ASSERT_EQ(twice.Items(), 1u);
    EXPECT_EQ(twice.Item<CItemNote>(0)->Frets.size(), 4u);
    // After the first item (a space locks too; a repeat bar does not).
    EXPECT_EQ(ReadScore("n4nn0/$Strings:4").Score->Settings.Strings, 6);
    EXPECT_EQ(ReadScore(" /$Strings:4").Score->Settings.Strings, 6);
    EXPECT_EQ(ReadScore("|:/$Strings:4").Score->Settings.Strings, 4);
    // Zero or negative counts pass: notes then hold no fret entries.
    ReadScore none("$Strings:0/n4nn5");
    ASSERT_EQ(none.Items(), 1u);
    EXPECT_TRUE(none.Item<CItemNote>(0)->Frets.empty());
    EXPECT_EQ(none.Item<CItemNote>(0)->GetFret(1), CItemNote::Invalid);
}

TEST(Directives, StringsBeyondTheBoundAreRefused)
{
    ReadScore huge("$Strings:2000000000/r4\n$Strings:65\nn4nn0");
    EXPECT_EQ(huge.Score->Settings.Strings, 6);
    EXPECT_EQ(huge.Items(), 1u);  // "r4" went with the refused directive
    // A refused count does not use up the one permitted directive.
    EXPECT_EQ(ReadScore("$Strings:65\n$Strings:64").Score->Settings.Strings, 64);
}

TEST(Directives, MissingColonDropsTheLineUnknownKeysAreSkipped)
{
    ReadScore noColon("$MarginTop/n4nn0\nr4");
    EXPECT_EQ(noColon.Items(), 1u);
    EXPECT_EQ(noColon.Score->Settings.MarginTop, 15.0);
    ReadScore unknown("$Colour:red/$unitwidth:3/$UnitWidth :3/n4nn0");
    EXPECT_EQ(unknown.Items(), 1u);
    EXPECT_EQ(unknown.Score->Settings.UnitWidth, 6.0);
    ReadScore extraColon("$FontNameFret:a:b");
    EXPECT_EQ(extraColon.Score->Settings.FontFret.Name, "a:b");
}

TEST(Directives, NumbersConvertLikeTheCLibraryButSaturate)
{
    EXPECT_EQ(ToRealValue("5.5"), 5.5);
    EXPECT_EQ(ToRealValue("  \t-2.5e1x"), -25.0);
    EXPECT_EQ(ToRealValue("+.5"), 0.5);
    EXPECT_EQ(ToRealValue("abc"), 0.0);
    EXPECT_EQ(ToRealValue("-"), 0.0);
    EXPECT_EQ(ToRealValue("+-1"), 0.0);
    EXPECT_EQ(ToRealValue("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToRealValue("-123456e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToRealValue("1e-999"), 0.0);
    EXPECT_EQ(ToRealValue("0.000001e-400"), 0.0);
    EXPECT_TRUE(std::isinf(ToRealValue("inf")));
    EXPECT_TRUE(std::isnan(ToRealValue("nan")));

    EXPECT_EQ(ToCountValue(" 42abc"), 42);
    EXPECT_EQ(ToCountValue("-7"), -7);
    EXPECT_EQ(ToCountValue("10.5"), 10);
    EXPECT_EQ(ToCountValue("x"), 0);
    EXPECT_EQ(ToCountValue("99999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ToCountValue("-99999999999999999999999"), std::numeric_limits<int32_t>::min());

    ReadScore sizes("$FontSizeFret:999999999/$FontSizeTAB:-999999999/$UnitsForTAB:99999999999");
    EXPECT_EQ(sizes.Score->Settings.FontFret.Size, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(sizes.Score->Settings.FontTAB.Size, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(sizes.Score->Settings.UnitsForTAB, std::numeric_limits<int32_t>::max());
}

TEST(Directives, EachKeyWritesItsOwnField)
{
    ScoreSettings settings;
    CDirectiveTable table(settings);
    EXPECT_EQ(table.Size(), 27u);
    EXPECT_TRUE(table.Apply("TripletZoneHeight", "1.25"));
    EXPECT_TRUE(table.Apply("ChordZoneHeight", "3"));
    EXPECT_TRUE(table.Apply("TabLowerMargin", "8"));
    EXPECT_TRUE(table.Apply("FlagMargin", "0.75"));
    EXPECT_EQ(settings.TripletZoneHeight, 1.25);
    EXPECT_EQ(settings.ChordZoneHeight, 3.0);
    EXPECT_EQ(settings.TabLowerMargin, 8.0);
    EXPECT_EQ(settings.FlagMargin, 0.75);
    EXPECT_EQ(settings.TabUpperMargin, 10.0);
}
