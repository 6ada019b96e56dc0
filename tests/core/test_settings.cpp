// The settings record: store load and save with their units and truncation (the defaults are
// checked in "plekto dump"'s exact output), and the "$Key:value" directives.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ScoreFixture.h"
#include "settings/Directives.h"
#include "settings/Units.h"

TEST(Directives, SetTheScoreBeingReadOnlyUnknownKeysAreSkipped)
{
    ReadScore r("$UnitWidth:5.5/$FontNameTAB:Courier New/$ShowTAB:N/$UnitsForTAB:3/$PageWidth:\n"
                "$MarginTop:-4.25e1/$StemHeight:7mm/$FontNameFret: Mono\n"
                "$TripletZoneHeight:1.25/$ChordZoneHeight:3/$TabLowerMargin:8/$FlagMargin:0.75\n");
    const ScoreSettings& s = r.Score->Settings;
    // Each key writes its own field.
    EXPECT_EQ(s.UnitWidth, 5.5); EXPECT_EQ(s.TripletZoneHeight, 1.25); EXPECT_EQ(s.ChordZoneHeight, 3.0);
    EXPECT_EQ(s.TabLowerMargin, 8.0); EXPECT_EQ(s.FlagMargin, 0.75); EXPECT_EQ(s.TabUpperMargin, 10.0);
    EXPECT_EQ(s.PageWidth, 0.0); EXPECT_EQ(s.MarginTop, -42.5); EXPECT_EQ(s.StemHeight, 7.0);
    EXPECT_EQ(s.FontTAB.Name, "Courier New");
    EXPECT_EQ(s.FontFret.Name, " Mono");  // nothing is trimmed
    EXPECT_FALSE(s.ShowTAB); EXPECT_EQ(s.UnitsForTAB, 3);
    EXPECT_TRUE(r.Store.Values().empty());  // the store is never written
    for (auto [value, yes] :
         {std::pair{"yes", true}, {"Y", true}, {"y", true}, {"1", false}, {"N", false}, {"T", false}, {"", false}})
        EXPECT_EQ(ReadScore(std::string("$ShowTAB:N/$ShowTAB:") + value).Score->Settings.ShowTAB, yes) << value;
    // A missing colon drops the rest of the line; unknown keys are skipped.
    ReadScore noColon("$MarginTop/n4nn0\nr4");
    EXPECT_EQ(noColon.Items(), 1u); EXPECT_EQ(noColon.Score->Settings.MarginTop, 15.0);
    ReadScore unknown("$Colour:red/$unitwidth:3/$UnitWidth :3/n4nn0");
    EXPECT_EQ(unknown.Items(), 1u); EXPECT_EQ(unknown.Score->Settings.UnitWidth, 6.0);
    EXPECT_EQ(ReadScore("$FontNameFret:a:b").Score->Settings.FontFret.Name, "a:b");
}

TEST(Directives, FontDirectivesDropTheCachedFont)
{
    CMemorySettingsStore store;
    CScore score(store);
    for (FontEntry* entry : {&score.Settings.FontFret, &score.Settings.FontTAB, &score.Settings.FontMainTitle})
        entry->Font = std::make_unique<CFont>();
    std::istringstream in("$FontSizeFret:8/$FontNameTAB:Mono/$FontSizeSubTitle:10.5");
    CScoreReader(score).Read(in);
    EXPECT_EQ(score.Settings.FontFret.Size, 80); EXPECT_EQ(score.Settings.FontSubTitle.Size, 100);
    EXPECT_EQ(score.Settings.FontFret.Font, nullptr); EXPECT_EQ(score.Settings.FontTAB.Font, nullptr);
    EXPECT_NE(score.Settings.FontMainTitle.Font, nullptr);  // untouched entries keep theirs
}

TEST(Directives, StringsCountsOnceOnlyBeforeTheFirstItemAndWithinTheBound)
{
    // A second one is refused and takes the rest of its line with it.
    ReadScore twice("$Strings:4\n$Strings:5/n4nn0\nn4nn0.1.2.3.4");
    EXPECT_EQ(twice.Score->Settings.Strings, 4);
    ASSERT_EQ(twice.Items(), 1u); EXPECT_EQ(twice.Item<CItemNote>(0)->Frets.size(), 4u);
    // After the first item (a space locks too; a repeat bar does not).
    EXPECT_EQ(ReadScore("n4nn0/$Strings:4").Score->Settings.Strings, 6);
    EXPECT_EQ(ReadScore(" /$Strings:4").Score->Settings.Strings, 6);
    EXPECT_EQ(ReadScore("|:/$Strings:4").Score->Settings.Strings, 4);
    // Zero or negative counts pass: notes then hold no fret entries.
    ReadScore none("$Strings:0/n4nn5");
    ASSERT_EQ(none.Items(), 1u); EXPECT_TRUE(none.Item<CItemNote>(0)->Frets.empty());
    EXPECT_EQ(none.Item<CItemNote>(0)->GetFret(1), CItemNote::Invalid);
    // Beyond the bound: refused with the rest of the line, without using up the one directive.
    ReadScore huge("$Strings:2000000000/r4\n$Strings:65\nn4nn0");
    EXPECT_EQ(huge.Score->Settings.Strings, 6); EXPECT_EQ(huge.Items(), 1u);
    EXPECT_EQ(ReadScore("$Strings:65\n$Strings:64").Score->Settings.Strings, 64);
}

TEST(Directives, NumbersConvertLikeTheCLibraryButSaturate)
{
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const std::pair<const char*, double> reals[] = {
        {"5.5", 5.5}, {"  \t-2.5e1x", -25.0}, {"+.5", 0.5}, {"abc", 0.0}, {"-", 0.0}, {"+-1", 0.0}, {"1e999", Inf},
        {"-123456e400", -Inf}, {"1e-999", 0.0}, {"0.000001e-400", 0.0}};
    for (const auto& [text, value] : reals)
        EXPECT_EQ(ToRealValue(text), value) << text;
    EXPECT_TRUE(std::isinf(ToRealValue("inf"))); EXPECT_TRUE(std::isnan(ToRealValue("nan")));
    const std::pair<const char*, int32_t> counts[] = {
        {" 42abc", 42}, {"-7", -7}, {"10.5", 10}, {"x", 0}, {"99999999999", INT32_MAX},
        {"-99999999999999999999999", INT32_MIN}};
    for (const auto& [text, value] : counts)
        EXPECT_EQ(ToCountValue(text), value) << text;
    ReadScore sizes("$FontSizeFret:999999999/$FontSizeTAB:-999999999/$UnitsForTAB:99999999999");
    EXPECT_EQ(sizes.Score->Settings.FontFret.Size, INT32_MAX);
    EXPECT_EQ(sizes.Score->Settings.FontTAB.Size, INT32_MIN);
    EXPECT_EQ(sizes.Score->Settings.UnitsForTAB, INT32_MAX);
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
    EXPECT_EQ(s.PageWidth, 210.01); EXPECT_EQ(s.MarginLeft, -1.0); EXPECT_EQ(s.TripletZoneHeight, 3.0);
    EXPECT_EQ(s.StemMargin, 0.75);
    EXPECT_EQ(s.StemHeight, 9.0);  // missing values take the defaults
    EXPECT_EQ(s.Strings, 4); EXPECT_TRUE(s.ShowTAB);
    EXPECT_EQ(s.FontFret.Name, "Mono"); EXPECT_EQ(s.FontMainTitle.Size, 95);
    // A string count beyond the bound is ignored; a negative one passes, as from a directive.
    for (const auto& [stored, loaded] : {std::pair{1000000000, 6}, {MaxStrings, MaxStrings}, {-3, -3}}) {
        store.WriteInt("Settings\\Tab", "Strings", stored);
        EXPECT_EQ(CScore(store).Settings.Strings, loaded) << stored;
    }
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
    for (SettingsGroup group : {SettingsGroup::Page, SettingsGroup::Tab, SettingsGroup::Note, SettingsGroup::Font})
        s.Save(store, group);
    const auto& v = store.Values();
    const std::pair<const char*, int32_t> ints[] = {
        {"Page\\PageW", 21001}, {"Page\\PageH", 29000}, {"Page\\MgnB", INT32_MAX}, {"Page\\MgnT", INT32_MIN},
        {"Page\\MgnL", 0},      {"Note\\StemH", 114},   {"Note\\FlagH", 28},       {"Note\\FlagMgn", 56},
        {"Note\\3SpaceH", 50},  {"Tab\\ShowTab", 1},    {"Tab\\3ZoneH", 250},      {"Font\\FontSizeTAB", 120}};
    for (const auto& [key, value] : ints)
        EXPECT_EQ(std::get<int32_t>(v.at(std::string("Settings\\") + key)), value) << key;
    EXPECT_EQ(v.count("Settings\\Tab\\Strings"), 0u);  // never written
    EXPECT_EQ(std::get<std::string>(v.at("Settings\\Font\\FontNameFret")), "");
    EXPECT_EQ(store.WriteCount(), 6 + 8 + 4 + 8);
    // What was stored loads back as the truncated value.
    CScore next(store);
    EXPECT_DOUBLE_EQ(next.Settings.StemHeight, 1.14); EXPECT_EQ(next.Settings.Strings, 6);
}
