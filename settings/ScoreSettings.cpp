#include "settings/ScoreSettings.h"

#include "settings/SettingsTable.h"

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

ScoreSettings::ScoreSettings()
{
    for (const CSetting& setting : SettingsTable)
        ResetSetting(*this, setting);
}

void ScoreSettings::Load(const CSettingsStore& store, SettingsGroup group)
{
    for (const CSetting& setting : SettingsTable)
        if (setting.Group == group)
            LoadSetting(*this, setting, store);
}

void ScoreSettings::Save(CSettingsStore& store, SettingsGroup group) const
{
    for (const CSetting& setting : SettingsTable)
        if (setting.Group == group && setting.Editable)
            SaveSetting(*this, setting, store);
}

void ScoreSettings::LoadAll(const CSettingsStore& store)
{
    for (SettingsGroup group : {SettingsGroup::Page, SettingsGroup::Tab, SettingsGroup::Note, SettingsGroup::Font})
        Load(store, group);
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
