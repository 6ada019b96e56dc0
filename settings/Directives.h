// The "$Key:value" directives of a score file: a table from setting key to converter,
// built for one read and dropped at its end. Directives change only the score being
// read, never the store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/SettingsTable.h"

// Text to number as atof and atoi do it in the C locale, whatever the user's locale.
// Out-of-range values saturate. `understood`, when given, receives how many characters of
// the text made the number (0 when none did: the value is then 0).
double ToRealValue(std::string_view text, std::size_t* understood = nullptr);
int32_t ToCountValue(std::string_view text, std::size_t* understood = nullptr);

class CDirectiveTable
{
public:
    explicit CDirectiveTable(ScoreSettings& settings);

    // False when the key is not one of the table's; the record is then untouched.
    bool Apply(std::string_view key, std::string_view value) const;
    bool Knows(std::string_view key) const;
    std::size_t Size() const { return Entries.size(); }

private:
    struct Entry
    {
        SettingTarget Target;
        SettingKind Kind;
    };
    std::unordered_map<std::string_view, Entry> Entries;
};
