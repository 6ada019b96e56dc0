#include "settings/SettingsTable.h"

#include "settings/SettingsStore.h"
#include "settings/Units.h"

namespace
{
// Each kind has one member type and one default type; a row that mixes them would make
// std::get below throw, so it is refused when the program is built.
constexpr bool Consistent(const CSetting& s)
{
    switch (s.Kind) {
    case SettingKind::Length:
        return s.Member.index() == 0 && s.Default.index() == 0;
    case SettingKind::Count:
        return s.Member.index() == 1 && s.Default.index() == 1;
    case SettingKind::Flag:
        return s.Member.index() == 2 && s.Default.index() == 2;
    case SettingKind::FontName:
        return s.Member.index() == 3 && s.Default.index() == 3;
    case SettingKind::FontSize:
        return s.Member.index() == 3 && s.Default.index() == 1;
    }
    return false;
}

constexpr bool TableConsistent()
{
    for (const CSetting& s : SettingsTable)
        if (!Consistent(s) || (!s.Editable && s.Kind != SettingKind::Count))
            return false;
    return true;
}
static_assert(TableConsistent(), "a settings row's kind, member and default disagree");

template <typename T>
T DefaultOf(const CSetting& setting)
{
    return std::get<T>(setting.Default);
}
}  // namespace

const char* SectionOf(SettingsGroup group)
{
    switch (group) {
    case SettingsGroup::Page:
        return SettingsSection::Page;
    case SettingsGroup::Tab:
        return SettingsSection::Tab;
    case SettingsGroup::Note:
        return SettingsSection::Note;
    case SettingsGroup::Font:
        break;
    }
    return SettingsSection::Font;
}

const CSetting* FindSetting(std::string_view key)
{
    for (const CSetting& setting : SettingsTable)
        if (setting.Key == key)
            return &setting;
    return nullptr;
}

SettingTarget TargetIn(ScoreSettings& settings, const CSetting& setting)
{
    return std::visit([&settings](auto member) -> SettingTarget { return &(settings.*member); }, setting.Member);
}

void ResetSetting(ScoreSettings& s, const CSetting& setting)
{
    switch (setting.Kind) {
    case SettingKind::Length:
        SettingField<double>(s, setting) = DefaultOf<double>(setting);
        break;
    case SettingKind::Count:
        SettingField<int32_t>(s, setting) = DefaultOf<int32_t>(setting);
        break;
    case SettingKind::Flag:
        SettingField<bool>(s, setting) = DefaultOf<bool>(setting);
        break;
    case SettingKind::FontName:
        SettingField<FontEntry>(s, setting).SetName(DefaultOf<const char*>(setting));
        break;
    case SettingKind::FontSize:
        SettingField<FontEntry>(s, setting).SetSize(DefaultOf<int32_t>(setting));
        break;
    }
}

void LoadSetting(ScoreSettings& s, const CSetting& setting, const CSettingsStore& store)
{
    const char* section = SectionOf(setting.Group);
    const char* name = setting.StoreName;
    switch (setting.Kind) {
    case SettingKind::Length:
        SettingField<double>(s, setting) = store.GetInt(section, name, ToUnits(DefaultOf<double>(setting))) * 0.01;
        break;
    case SettingKind::Count: {
        const int32_t value = store.GetInt(section, name, DefaultOf<int32_t>(setting));
        SettingField<int32_t>(s, setting) = value > setting.StoredMax ? DefaultOf<int32_t>(setting) : value;
        break;
    }
    case SettingKind::Flag:
        SettingField<bool>(s, setting) = store.GetInt(section, name, DefaultOf<bool>(setting) ? 1 : 0) != 0;
        break;
    case SettingKind::FontName:
        SettingField<FontEntry>(s, setting).Name = store.GetString(section, name, DefaultOf<const char*>(setting));
        break;
    case SettingKind::FontSize:
        SettingField<FontEntry>(s, setting).Size = store.GetInt(section, name, DefaultOf<int32_t>(setting));
        break;
    }
}

void SaveSetting(const ScoreSettings& s, const CSetting& setting, CSettingsStore& store)
{
    const char* section = SectionOf(setting.Group);
    const char* name = setting.StoreName;
    switch (setting.Kind) {
    case SettingKind::Length:
        // Truncated, not rounded: 1.15 mm is stored as 114, as it always has been.
        store.WriteInt(section, name, ToUnits(SettingField<double>(s, setting)));
        break;
    case SettingKind::Count:
        store.WriteInt(section, name, SettingField<int32_t>(s, setting));
        break;
    case SettingKind::Flag:
        store.WriteInt(section, name, SettingField<bool>(s, setting) ? 1 : 0);
        break;
    case SettingKind::FontName:
        store.WriteString(section, name, SettingField<FontEntry>(s, setting).Name);
        break;
    case SettingKind::FontSize:
        store.WriteInt(section, name, SettingField<FontEntry>(s, setting).Size);
        break;
    }
}

void CopySetting(const CSetting& setting, const ScoreSettings& from, ScoreSettings& to)
{
    std::visit([&](auto member) { to.*member = from.*member; }, setting.Member);
}
