#include "settings/Directives.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "settings/Ascii.h"
#include "settings/ScoreSettings.h"
#include "settings/Units.h"


namespace
{
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view SkipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    return text.substr(i);
}

// Decimal exponent of the first significant digit of a decimal number, for telling an
// overflow from an underflow when from_chars reports the value out of range.
bool LargeMagnitude(std::string_view text)
{
    long digitsBefore = 0;  // significant digits before the point
    long zerosAfter = 0;    // zeros after the point before the first significant digit
    bool seenPoint = false;
    bool seenSignificant = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (IsDigit(c)) {
            if (c != '0')
                seenSignificant = true;
            if (!seenPoint && seenSignificant)
                ++digitsBefore;
            else if (seenPoint && !seenSignificant)
                ++zerosAfter;
        } else {
            break;
        }
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::string_view e = text.substr(i + 1);
        bool negative = !e.empty() && e[0] == '-';
        if (!e.empty() && (e[0] == '-' || e[0] == '+'))
            e.remove_prefix(1);
        for (char c : e) {
            if (!IsDigit(c))
                break;
            if (exponent < 100000)
                exponent = exponent * 10 + (c - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    const long magnitude = digitsBefore > 0 ? digitsBefore + exponent : exponent - zerosAfter;
    return magnitude > 0;
}
}  // namespace

double ToRealValue(std::string_view text, std::size_t* understood)
{
    const char* const begin = text.data();
    if (understood)
        *understood = 0;
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars accepts neither a sign nor leading white space, which were taken above.
    if (text.empty() || text[0] == '+' || text[0] == '-')
        return 0.0;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::invalid_argument)
        return 0.0;
    if (understood)
        *understood = static_cast<std::size_t>(ptr - begin);
    if (ec == std::errc::result_out_of_range)
        value = LargeMagnitude(text) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

int32_t ToCountValue(std::string_view text, std::size_t* understood)
{
    const char* const begin = text.data();
    if (understood)
        *understood = 0;
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (!IsDigit(c))
            break;
        ++digits;
        if (value <= int64_t{std::numeric_limits<int32_t>::max()} + 1)
            value = value * 10 + (c - '0');
    }
    if (understood && digits > 0)
        *understood = static_cast<std::size_t>(text.data() + digits - begin);
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

CDirectiveTable::CDirectiveTable(ScoreSettings& s)
{
    for (const CSetting& setting : SettingsTable)
        Entries.emplace(setting.Key, Entry{TargetIn(s, setting), setting.Kind});
}

bool CDirectiveTable::Knows(std::string_view key) const { return Entries.find(key) != Entries.end(); }

bool CDirectiveTable::Apply(std::string_view key, std::string_view value) const
{
    auto it = Entries.find(key);
    if (it == Entries.end())
        return false;
    const SettingTarget& target = it->second.Target;
    switch (it->second.Kind) {
    case SettingKind::Length:
        *std::get<double*>(target) = ToRealValue(value);
        break;
    case SettingKind::Count:
        *std::get<int32_t*>(target) = ToCountValue(value);
        break;
    case SettingKind::Flag:
        *std::get<bool*>(target) = !value.empty() && (value[0] == 'Y' || value[0] == 'y');
        break;
    case SettingKind::FontName:
        std::get<FontEntry*>(target)->SetName(std::string(value));
        break;
    case SettingKind::FontSize:
        // Whole points in the file, tenths in the record.
        std::get<FontEntry*>(target)->SetSize(SatMul(ToCountValue(value), 10));
        break;
    }
    return true;
}
