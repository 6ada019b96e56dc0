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
double LoadLength(const CSettingsStore& store, const char* section, const char* name, double def)
{
    return store.GetInt(section, name, TruncSat(def * 100.0)) * 0.01;
}

// Truncated, not rounded: 1.15 mm is stored as 114, as it always has been.
void SaveLength(CSettingsStore& store, const char* section, const char* name, double mm)
{
    store.WriteInt(section, name, ToUnits(mm));
}
}  // namespace

void ScoreSettings::LoadPageSettings(const CSettingsStore& store)
{
    using namespace SettingsSection;
    PageHeight = LoadLength(store, Page, "PageH", 290.0);
    PageWidth = LoadLength(store, Page, "PageW", 210.0);
    MarginLeft = LoadLength(store, Page, "MgnL", 20.0);
    MarginTop = LoadLength(store, Page, "MgnT", 15.0);
    MarginRight = LoadLength(store, Page, "MgnR", 20.0);
    MarginBottom = LoadLength(store, Page, "MgnB", 20.0);
}

void ScoreSettings::SavePageSettings(CSettingsStore& store) const
{
    using namespace SettingsSection;
    SaveLength(store, Page, "PageH", PageHeight);
    SaveLength(store, Page, "PageW", PageWidth);
    SaveLength(store, Page, "MgnL", MarginLeft);
    SaveLength(store, Page, "MgnT", MarginTop);
    SaveLength(store, Page, "MgnR", MarginRight);
    SaveLength(store, Page, "MgnB", MarginBottom);
}

void ScoreSettings::LoadTabSettings(const CSettingsStore& store)
{
    using namespace SettingsSection;
    TabUpperMargin = LoadLength(store, Tab, "MgnUp", 10.0);
    TabLowerMargin = LoadLength(store, Tab, "MgnLo", 10.0);
    ChordZoneHeight = LoadLength(store, Tab, "ChordZoneH", 4.5);
    TripletZoneHeight = LoadLength(store, Tab, "3ZoneH", 2.5);
    PitchBetweenLine = LoadLength(store, Tab, "LineSpace", 2.5);
    UnitWidth = LoadLength(store, Tab, "UnitSize", 6.0);
    // A stored count beyond what a note can hold is ignored like an unreadable value.
    const int32_t strings = store.GetInt(Tab, "Strings", 6);
    Strings = strings > MaxStrings ? 6 : strings;
    ShowTAB = store.GetInt(Tab, "ShowTab", 1) != 0;
    UnitsForTAB = store.GetInt(Tab, "UnitTab", 2);
}

void ScoreSettings::SaveTabSettings(CSettingsStore& store) const
{
    using namespace SettingsSection;
    SaveLength(store, Tab, "MgnUp", TabUpperMargin);
    SaveLength(store, Tab, "MgnLo", TabLowerMargin);
    SaveLength(store, Tab, "ChordZoneH", ChordZoneHeight);
    SaveLength(store, Tab, "3ZoneH", TripletZoneHeight);
    SaveLength(store, Tab, "LineSpace", PitchBetweenLine);
    SaveLength(store, Tab, "UnitSize", UnitWidth);
    // Strings is never written: only the store itself or a directive changes it.
    store.WriteInt(Tab, "ShowTab", ShowTAB ? 1 : 0);
    store.WriteInt(Tab, "UnitTab", UnitsForTAB);
}

void ScoreSettings::LoadNoteSettings(const CSettingsStore& store)
{
    using namespace SettingsSection;
    FlagHeight = LoadLength(store, Note, "FlagH", 1.5);
    FlagMargin = LoadLength(store, Note, "FlagMgn", 0.5);
    StemHeight = LoadLength(store, Note, "StemH", 9.0);
    StemMargin = LoadLength(store, Note, "3SpaceH", 0.5);
}

void ScoreSettings::SaveNoteSettings(CSettingsStore& store) const
{
    using namespace SettingsSection;
    SaveLength(store, Note, "FlagH", FlagHeight);
    SaveLength(store, Note, "FlagMgn", FlagMargin);
    SaveLength(store, Note, "StemH", StemHeight);
    SaveLength(store, Note, "3SpaceH", StemMargin);
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
