// The per-user settings store as the score settings see it: integers and texts by
// section and value name. Texts are code page 932 bytes, as the record keeps them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>

class CSettingsStore
{
public:
    virtual ~CSettingsStore() = default;
    // Return the default when the value is missing (or unreadable as that type).
    virtual int32_t GetInt(std::string_view section, std::string_view name, int32_t def) const = 0;
    virtual std::string GetString(std::string_view section, std::string_view name,
                                  std::string_view def) const = 0;
    // Failures are not reported: the record keeps its values regardless.
    virtual void WriteInt(std::string_view section, std::string_view name, int32_t value) = 0;
    virtual void WriteString(std::string_view section, std::string_view name, std::string_view value) = 0;
};

// A store held in memory: for tests, and for "--defaults" (an empty one).
class CMemorySettingsStore : public CSettingsStore
{
public:
    using Value = std::variant<int32_t, std::string>;

    int32_t GetInt(std::string_view section, std::string_view name, int32_t def) const override;
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, int32_t value) override;
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override;

    // Every value written, keyed "section\name", for tests to inspect.
    const std::map<std::string, Value>& Values() const { return Entries; }
    // Counts every write, including ones that rewrite an equal value.
    int WriteCount() const { return Writes; }

private:
    static std::string Key(std::string_view section, std::string_view name);
    std::map<std::string, Value> Entries;
    int Writes = 0;
};
