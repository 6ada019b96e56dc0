#include "settings/ScoreSettings.h"

#include "settings/SettingsStore.h"
#include "settings/Units.h"

FontEntry& FontEntry::operator=(const FontEntry& other)
{
    if (this != &other) {
        Size = other.Size;
        Name = other.Name;
        Font.reset();
    }
    return *this;
}

void FontEntry::SetSize(int32_t size)
{
    Size = size;
    Font.reset();
}

void FontEntry::SetName(std::string name)
{
    Name = std::move(name);
    Font.reset();
}

namespace
{
// A length in the store: hundredths of a millimetre under its value name.
struct CStoredLength
{
    double ScoreSettings::*Field;
    const char* Name;
    double Default;
};

// In the order the store reads and writes them.
constexpr CStoredLength PageLengths[] = {
    {&ScoreSettings::PageHeight, "PageH", 290.0}, {&ScoreSettings::PageWidth, "PageW", 210.0},
    {&ScoreSettings::MarginLeft, "MgnL", 20.0},   {&ScoreSettings::MarginTop, "MgnT", 15.0},
    {&ScoreSettings::MarginRight, "MgnR", 20.0},  {&ScoreSettings::MarginBottom, "MgnB", 20.0},
};
constexpr CStoredLength TabLengths[] = {
    {&ScoreSettings::TabUpperMargin, "MgnUp", 10.0},     {&ScoreSettings::TabLowerMargin, "MgnLo", 10.0},
    {&ScoreSettings::ChordZoneHeight, "ChordZoneH", 4.5}, {&ScoreSettings::TripletZoneHeight, "3ZoneH", 2.5},
    {&ScoreSettings::PitchBetweenLine, "LineSpace", 2.5}, {&ScoreSettings::UnitWidth, "UnitSize", 6.0},
};
constexpr CStoredLength NoteLengths[] = {
    {&ScoreSettings::FlagHeight, "FlagH", 1.5},
    {&ScoreSettings::FlagMargin, "FlagMgn", 0.5},
    {&ScoreSettings::StemHeight, "StemH", 9.0},
    {&ScoreSettings::StemMargin, "3SpaceH", 0.5},
};

template <std::size_t N>
void LoadLengths(ScoreSettings& s, const CSettingsStore& store, const char* section, const CStoredLength (&lengths)[N])
{
    for (const CStoredLength& length : lengths)
        s.*length.Field = store.GetInt(section, length.Name, ToUnits(length.Default)) * 0.01;
}

// Truncated, not rounded: 1.15 mm is stored as 114, as it always has been.
template <std::size_t N>
void SaveLengths(const ScoreSettings& s, CSettingsStore& store, const char* section,
                 const CStoredLength (&lengths)[N])
{
    for (const CStoredLength& length : lengths)
        store.WriteInt(section, length.Name, ToUnits(s.*length.Field));
}
}  // namespace

void ScoreSettings::LoadPageSettings(const CSettingsStore& store)
{
    LoadLengths(*this, store, SettingsSection::Page, PageLengths);
}

void ScoreSettings::SavePageSettings(CSettingsStore& store) const
{
    SaveLengths(*this, store, SettingsSection::Page, PageLengths);
}

void ScoreSettings::LoadTabSettings(const CSettingsStore& store)
{
    using SettingsSection::Tab;
    LoadLengths(*this, store, Tab, TabLengths);
    // A stored count beyond what a note can hold is ignored like an unreadable value.
    const int32_t strings = store.GetInt(Tab, "Strings", 6);
    Strings = strings > MaxStrings ? 6 : strings;
    ShowTAB = store.GetInt(Tab, "ShowTab", 1) != 0;
    UnitsForTAB = store.GetInt(Tab, "UnitTab", 2);
}

void ScoreSettings::SaveTabSettings(CSettingsStore& store) const
{
    using SettingsSection::Tab;
    SaveLengths(*this, store, Tab, TabLengths);
    // Strings is never written: only the store itself or a directive changes it.
    store.WriteInt(Tab, "ShowTab", ShowTAB ? 1 : 0);
    store.WriteInt(Tab, "UnitTab", UnitsForTAB);
}

void ScoreSettings::LoadNoteSettings(const CSettingsStore& store)
{
    LoadLengths(*this, store, SettingsSection::Note, NoteLengths);
}

void ScoreSettings::SaveNoteSettings(CSettingsStore& store) const
{
    SaveLengths(*this, store, SettingsSection::Note, NoteLengths);
}

void ScoreSettings::LoadFontSettings(const CSettingsStore& store)
{
    using namespace SettingsSection;
    FontMainTitle.Name = store.GetString(Font, "FontNameMainTitle", DefaultTitleFace);
    FontSubTitle.Name = store.GetString(Font, "FontNameSubTitle", DefaultTitleFace);
    FontFret.Name = store.GetString(Font, "FontNameFret", "Courier New Bold");
    FontTAB.Name = store.GetString(Font, "FontNameTAB", "Courier New");
    FontMainTitle.Size = store.GetInt(Font, "FontSizeMainTitle", 240);
    FontSubTitle.Size = store.GetInt(Font, "FontSizeSubTitle", 120);
    FontFret.Size = store.GetInt(Font, "FontSizeFret", 90);
    FontTAB.Size = store.GetInt(Font, "FontSizeTAB", 120);
}

void ScoreSettings::SaveFontSettings(CSettingsStore& store) const
{
    using namespace SettingsSection;
    store.WriteString(Font, "FontNameMainTitle", FontMainTitle.Name);
    store.WriteString(Font, "FontNameSubTitle", FontSubTitle.Name);
    store.WriteString(Font, "FontNameFret", FontFret.Name);
    store.WriteString(Font, "FontNameTAB", FontTAB.Name);
    store.WriteInt(Font, "FontSizeMainTitle", FontMainTitle.Size);
    store.WriteInt(Font, "FontSizeSubTitle", FontSubTitle.Size);
    store.WriteInt(Font, "FontSizeFret", FontFret.Size);
    store.WriteInt(Font, "FontSizeTAB", FontTAB.Size);
}

void ScoreSettings::LoadAll(const CSettingsStore& store)
{
    LoadPageSettings(store);
    LoadTabSettings(store);
    LoadNoteSettings(store);
    LoadFontSettings(store);
}

void ScoreSettings::ClearFonts()
{
    FontMainTitle.ClearFont();
    FontSubTitle.ClearFont();
    FontFret.ClearFont();
    FontTAB.ClearFont();
}

double ScoreSettings::LineHeight() const
{
    return (static_cast<double>(Strings) - 1) * PitchBetweenLine + TripletZoneHeight + ChordZoneHeight + TabLowerMargin +
           TabUpperMargin;
}
