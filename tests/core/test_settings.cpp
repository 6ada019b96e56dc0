// The settings record: the four store groups' load and save with their value names, units
// and truncation (the defaults are checked in "plekto dump"'s exact output); and the
// "$Key:value" directives: converters, the one-time string count, refusals, and
// conversions that must saturate instead of overflowing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ScoreFixture.h"
#include "settings/Directives.h"
#include "settings/Units.h"

TEST(Directives, SetTheScoreBeingReadOnly)
{
    ReadScore r("$UnitWidth:5.5/$FontNameTAB:Courier New/$ShowTAB:N/$UnitsForTAB:3/$PageWidth:\n"
                "$MarginTop:-4.25e1/$StemHeight:7mm/$FontNameFret: Mono\n"
                "$TripletZoneHeight:1.25/$ChordZoneHeight:3/$TabLowerMargin:8/$FlagMargin:0.75\n");
    const ScoreSettings& s = r.Score->Settings;
    EXPECT_EQ(s.UnitWidth, 5.5);
    EXPECT_EQ(s.TripletZoneHeight, 1.25);  // each key writes its own field
    EXPECT_EQ(s.ChordZoneHeight, 3.0);
    EXPECT_EQ(s.TabLowerMargin, 8.0);
    EXPECT_EQ(s.FlagMargin, 0.75);
    EXPECT_EQ(s.TabUpperMargin, 10.0);
    EXPECT_EQ(s.FontTAB.Name, "Courier New");
    EXPECT_EQ(s.FontFret.Name, " Mono");  // nothing is trimmed
    EXPECT_FALSE(s.ShowTAB);
    EXPECT_EQ(s.UnitsForTAB, 3);
    EXPECT_EQ(s.PageWidth, 0.0);
    EXPECT_EQ(s.MarginTop, -42.5);
    EXPECT_EQ(s.StemHeight, 7.0);
    EXPECT_TRUE(r.Store.Values().empty());  // the store is never written
    EXPECT_EQ(ReadScore("n4nn0").Score->Settings.UnitWidth, 6.0);
    ScoreSettings record;
    EXPECT_EQ(CDirectiveTable(record).Size(), 27u);  // every key is known
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

TEST(Settings, StoredValuesLoadWithTheirUnits)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings\\Page", "PageW", 21001);
    store.WriteInt("Settings\\Page", "MgnL", -100);
    store.WriteInt("Settings\\Tab", "3ZoneH", 300);
    store.WriteInt("Settings\\Tab", "Strings", 4);
    store.WriteInt("Settings\\Tab", "ShowTab", 5);
    store.WriteInt("Settings\\Note", "3SpaceH", 75);
    store.WriteString("Settings\\Font", "FontNameFret", "Mono");
    store.WriteInt("Settings\\Font", "FontSizeMainTitle", 95);
    CScore score(store);
    const ScoreSettings& s = score.Settings;
    EXPECT_EQ(s.PageWidth, 210.01);
    EXPECT_EQ(s.MarginLeft, -1.0);
    EXPECT_EQ(s.TripletZoneHeight, 3.0);
    EXPECT_EQ(s.Strings, 4);
    EXPECT_TRUE(s.ShowTAB);
    EXPECT_EQ(s.StemMargin, 0.75);
    EXPECT_EQ(s.FontFret.Name, "Mono");
    EXPECT_EQ(s.FontMainTitle.Size, 95);
    EXPECT_EQ(s.StemHeight, 9.0);  // missing values take the defaults
}

TEST(Settings, SavesWriteTheirGroupInOrderTruncated)
{
    ScoreSettings s;
    s.PageWidth = 210.01;
    s.StemHeight = 1.15;
    s.FlagHeight = 0.29;
    s.FlagMargin = 0.57;
    s.MarginBottom = 1e300;
    s.MarginTop = -1e300;
    s.MarginLeft = std::nan("");
    s.ShowTAB = true;
    s.Strings = 9;
    s.FontFret.Name.clear();
    CMemorySettingsStore store;
    s.Save(store, SettingsGroup::Page);
    s.Save(store, SettingsGroup::Tab);
    s.Save(store, SettingsGroup::Note);
    s.Save(store, SettingsGroup::Font);
    const auto& v = store.Values();
    auto integer = [&v](const char* key) { return std::get<int32_t>(v.at(key)); };
    EXPECT_EQ(integer("Settings\\Page\\PageW"), 21001);
    EXPECT_EQ(integer("Settings\\Page\\PageH"), 29000);
    EXPECT_EQ(integer("Settings\\Page\\MgnB"), INT32_MAX);
    EXPECT_EQ(integer("Settings\\Page\\MgnT"), INT32_MIN);
    EXPECT_EQ(integer("Settings\\Page\\MgnL"), 0);
    EXPECT_EQ(integer("Settings\\Note\\StemH"), 114);
    EXPECT_EQ(integer("Settings\\Note\\FlagH"), 28);
    EXPECT_EQ(integer("Settings\\Note\\FlagMgn"), 56);
    EXPECT_EQ(integer("Settings\\Note\\3SpaceH"), 50);
    EXPECT_EQ(integer("Settings\\Tab\\ShowTab"), 1);
    EXPECT_EQ(integer("Settings\\Tab\\3ZoneH"), 250);
    EXPECT_EQ(v.count("Settings\\Tab\\Strings"), 0u);  // never written
    EXPECT_EQ(std::get<std::string>(v.at("Settings\\Font\\FontNameFret")), "");
    EXPECT_EQ(integer("Settings\\Font\\FontSizeTAB"), 120);
    EXPECT_EQ(store.WriteCount(), 6 + 8 + 4 + 8);

    // What was stored loads back as the truncated value.
    CScore next(store);
    EXPECT_DOUBLE_EQ(next.Settings.StemHeight, 1.14);
    EXPECT_EQ(next.Settings.Strings, 6);
}

TEST(Settings, StoredStringCountBeyondTheBoundIsIgnored)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings\\Tab", "Strings", 1000000000);
    EXPECT_EQ(CScore(store).Settings.Strings, 6);
    store.WriteInt("Settings\\Tab", "Strings", MaxStrings);
    EXPECT_EQ(CScore(store).Settings.Strings, MaxStrings);
    store.WriteInt("Settings\\Tab", "Strings", -3);  // passes unchecked, as from a directive
    EXPECT_EQ(CScore(store).Settings.Strings, -3);
}

TEST(Settings, SaturatingConversions)
{
    EXPECT_EQ(TruncSat(2.9), 2);
    EXPECT_EQ(TruncSat(-2.9), -2);
    EXPECT_EQ(TruncSat(1e300), INT32_MAX);
    EXPECT_EQ(TruncSat(-1e300), INT32_MIN);
    EXPECT_EQ(TruncSat(std::numeric_limits<double>::infinity()), INT32_MAX);
    EXPECT_EQ(TruncSat(std::nan("")), 0);
    EXPECT_EQ(ToUnits(2.5), 250);
    EXPECT_EQ(SatAdd(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(SatSub(INT32_MIN, 1), INT32_MIN);
    EXPECT_EQ(SatMul(1 << 20, 1 << 20), INT32_MAX);
}
