// The settings record: defaults, the four groups' load and save with their value
// names, units and truncation.
#include <gtest/gtest.h>

#include "model/Score.h"
#include "settings/ScoreSettings.h"
#include "settings/SettingsStore.h"
#include "settings/Units.h"

#include <cmath>
#include <limits>

// The defaults are checked once, in "plekto dump"'s exact output; here what the dump
// cannot show: the face name's own bytes and a fresh score's state.
TEST(Settings, EmptyStoreGivesTheDefaults)
{
    CMemorySettingsStore store;
    CScore score(store);
    const ScoreSettings& s = score.Settings;
    EXPECT_EQ(s.FontMainTitle.Name, "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9");
    EXPECT_EQ(score.LinesPerPage(), 6);  // 255 / 39.5
    EXPECT_EQ(score.PageCount, 1);
    EXPECT_EQ(score.LineCount, 0);
    EXPECT_TRUE(score.UnitItems.empty());
    EXPECT_TRUE(score.SpanMarks.empty());
    EXPECT_TRUE(score.DeferredMarks.empty());
    EXPECT_EQ(score.TitleBlock, nullptr);
    EXPECT_EQ(score.MemoryDC, nullptr);
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
