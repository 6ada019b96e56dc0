#include "settings/SettingsStore.h"

std::string CMemorySettingsStore::Key(std::string_view section, std::string_view name)
{
    std::string key(section);
    key += '\\';
    key += name;
    return key;
}

int32_t CMemorySettingsStore::GetInt(std::string_view section, std::string_view name, int32_t def) const
{
    auto it = Entries.find(Key(section, name));
    if (it == Entries.end())
        return def;
    if (const auto* v = std::get_if<int32_t>(&it->second))
        return *v;
    return def;
}

std::string CMemorySettingsStore::GetString(std::string_view section, std::string_view name,
                                            std::string_view def) const
{
    auto it = Entries.find(Key(section, name));
    if (it == Entries.end())
        return std::string(def);
    if (const auto* v = std::get_if<std::string>(&it->second))
        return *v;
    return std::string(def);
}

void CMemorySettingsStore::WriteInt(std::string_view section, std::string_view name, int32_t value)
{
    Entries[Key(section, name)] = value;
    ++Writes;
}

void CMemorySettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    Entries[Key(section, name)] = std::string(value);
    ++Writes;
}
