// Every setting of the score record, once: its member, where the store keeps it, its
// default and unit, its "$" directive, its dump key and its field on the settings sheet.
// The store, the directives, "plekto dump" and the sheet's pages all walk this table.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <variant>

#include "settings/ScoreSettings.h"

enum class SettingKind
{
    Length,    // mm in the record; the store keeps hundredths, truncated
    Count,     // a plain integer
    Flag,      // the store keeps 0 or 1; a directive takes "Y"/"y" as yes
    FontName,  // the face of a font entry
    FontSize,  // tenths of a point in the record and the store; directives give whole points
};

using SettingMember = std::variant<double ScoreSettings::*, int32_t ScoreSettings::*, bool ScoreSettings::*,
                                   FontEntry ScoreSettings::*>;
using SettingDefault = std::variant<double, int32_t, bool, const char*>;

struct CSetting
{
    // The "$" directive's key; also the name of the setting's control on the sheet.
    std::string_view Key;
    SettingMember Member;
    SettingKind Kind;
    SettingDefault Default;
    // The store's group (its section, and the sheet's page of the same name) and value name.
    SettingsGroup Group;
    const char* StoreName;
    // "plekto dump" prints each key once, in the record's declaration order; a font
    // entry's name and size share one key.
    std::string_view DumpKey;
    // A stored count above this is ignored like an unreadable value.
    int32_t StoredMax = std::numeric_limits<int32_t>::max();
    // Written back to the store by the group's save, and shown as a field on its page.
    bool Editable = true;
};

// In the order the store reads and writes them, group by group (page, TAB, note, font).
// A length's directive, control and dump key are its member's name; a font setting's
// directive, control and store value name are "FontName"/"FontSize" and the entry's name.
inline constexpr CSetting SettingsTable[] = {
#define LENGTH(member, mm, group, stored) \
    {#member, &ScoreSettings::member, SettingKind::Length, mm, SettingsGroup::group, stored, #member}
    // clang-format off
    LENGTH(PageHeight, 290.0, Page, "PageH"),
    LENGTH(PageWidth, 210.0, Page, "PageW"),
    LENGTH(MarginLeft, 20.0, Page, "MgnL"),
    LENGTH(MarginTop, 15.0, Page, "MgnT"),
    LENGTH(MarginRight, 20.0, Page, "MgnR"),
    LENGTH(MarginBottom, 20.0, Page, "MgnB"),
    LENGTH(TabUpperMargin, 10.0, Tab, "MgnUp"),
    LENGTH(TabLowerMargin, 10.0, Tab, "MgnLo"),
    LENGTH(ChordZoneHeight, 4.5, Tab, "ChordZoneH"),
    LENGTH(TripletZoneHeight, 2.5, Tab, "3ZoneH"),
    LENGTH(PitchBetweenLine, 2.5, Tab, "LineSpace"),
    LENGTH(UnitWidth, 6.0, Tab, "UnitSize"),
    // Only the store itself or a directive changes the string count; it is never written.
    {"Strings", &ScoreSettings::Strings, SettingKind::Count, int32_t{6}, SettingsGroup::Tab, "Strings", "Strings",
     MaxStrings, false},
    {"ShowTAB", &ScoreSettings::ShowTAB, SettingKind::Flag, true, SettingsGroup::Tab, "ShowTab", "ShowTAB"},
    {"UnitsForTAB", &ScoreSettings::UnitsForTAB, SettingKind::Count, int32_t{2}, SettingsGroup::Tab, "UnitTab",
     "UnitsForTAB"},
    LENGTH(FlagHeight, 1.5, Note, "FlagH"),
    LENGTH(FlagMargin, 0.5, Note, "FlagMgn"),
    LENGTH(StemHeight, 9.0, Note, "StemH"),
    LENGTH(StemMargin, 0.5, Note, "3SpaceH"),
#undef LENGTH
#define FONT(entry, kind, value) \
    {#kind #entry, &ScoreSettings::Font##entry, SettingKind::kind, value, SettingsGroup::Font, #kind #entry, "Font" #entry}
    FONT(MainTitle, FontName, DefaultTitleFaceBytes),
    FONT(SubTitle, FontName, DefaultTitleFaceBytes),
    FONT(Fret, FontName, "Courier New Bold"),
    FONT(TAB, FontName, "Courier New"),
    FONT(MainTitle, FontSize, int32_t{240}),
    FONT(SubTitle, FontSize, int32_t{120}),
    FONT(Fret, FontSize, int32_t{90}),
    FONT(TAB, FontSize, int32_t{120}),
#undef FONT
    // clang-format on
};

// The store's section of a group.
const char* SectionOf(SettingsGroup group);

// The setting with this directive key, or null.
const CSetting* FindSetting(std::string_view key);

// The member a row describes, in one record; T is the row's member type.
template <typename T>
T& SettingField(ScoreSettings& settings, const CSetting& setting)
{
    return settings.*std::get<T ScoreSettings::*>(setting.Member);
}
template <typename T>
const T& SettingField(const ScoreSettings& settings, const CSetting& setting)
{
    return settings.*std::get<T ScoreSettings::*>(setting.Member);
}

// A setting's member in one record.
using SettingTarget = std::variant<double*, int32_t*, bool*, FontEntry*>;
SettingTarget TargetIn(ScoreSettings& settings, const CSetting& setting);

// The table's operations on one setting of a record. Loading keeps a font's cached
// object (a record being loaded has none yet); copying is for plain values only.
void ResetSetting(ScoreSettings& settings, const CSetting& setting);
void LoadSetting(ScoreSettings& settings, const CSetting& setting, const CSettingsStore& store);
void SaveSetting(const ScoreSettings& settings, const CSetting& setting, CSettingsStore& store);
void CopySetting(const CSetting& setting, const ScoreSettings& from, ScoreSettings& to);
