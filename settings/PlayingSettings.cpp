#include "settings/PlayingSettings.h"

#include <algorithm>
#include <cmath>

#include "settings/Ascii.h"
#include "settings/Directives.h"

std::vector<int32_t> DefaultTuning(int32_t strings)
{
    if (strings <= 0)
        return {};
    if (strings == 4)
        return {43, 38, 33, 28};
    if (strings == 5)
        return {43, 38, 33, 28, 23};
    std::vector<int32_t> keys = {64, 59, 55, 50, 45, 40, 35, 30};
    keys.resize(static_cast<std::size_t>(std::min(strings, 8)));
    for (int32_t s = 9; s <= strings; ++s)
        keys.push_back(std::max(keys.back() - 5, 0));
    return keys;
}

std::optional<int32_t> PitchOfName(std::string_view name)
{
    static constexpr int32_t Steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty())
        return std::nullopt;
    const char letter = static_cast<char>(name[0] >= 'a' ? name[0] - ('a' - 'A') : name[0]);
    if (letter < 'A' || letter > 'G')
        return std::nullopt;
    int32_t key = Steps[letter - 'A'];
    name.remove_prefix(1);
    if (!name.empty() && (name[0] == '#' || name[0] == 'b')) {
        key += name[0] == '#' ? 1 : -1;
        name.remove_prefix(1);
    }
    const bool negative = !name.empty() && name[0] == '-';
    if (negative)
        name.remove_prefix(1);
    if (name.size() != 1 || !IsDigit(name[0]))
        return std::nullopt;
    const int32_t octave = negative ? -(name[0] - '0') : name[0] - '0';
    if (octave < -1)
        return std::nullopt;
    key += 12 * (octave + 1);
    if (key < 0 || key > 127)
        return std::nullopt;
    return key;
}

bool IsPlayingKey(std::string_view key)
{
    return key == "Tuning" || key == "Capo" || key == "Tempo" || key == "Program";
}

namespace
{
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The offset of the first character after a number that fills the value, or none when
// the value is a number with at most blanks after it.
std::optional<std::size_t> TrailingText(std::string_view value, std::size_t understood)
{
    std::size_t i = understood;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    if (i == value.size())
        return std::nullopt;
    return i;
}

std::optional<CPlayingValueError> ApplyTuning(PlayingSettings& settings, int32_t strings, std::string_view value)
{
    std::vector<int32_t> keys;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        std::size_t first = start;
        std::size_t last = comma;
        while (first < last && IsBlank(value[first]))
            ++first;
        while (last > first && IsBlank(value[last - 1]))
            --last;
        const std::optional<int32_t> key = PitchOfName(value.substr(first, last - first));
        if (!key)
            return CPlayingValueError{first, value.substr(first, last - first),
                                      "is not a pitch name from C-1 to G9 such as E4, F#3 or Bb1"};
        keys.push_back(*key);
        if (comma == value.size())
            break;
        start = comma + 1;
    }
    if (static_cast<int64_t>(keys.size()) != strings) {
        std::string reason = "names ";
        reason += std::to_string(keys.size());
        reason += " strings, but the staff has ";
        reason += std::to_string(strings);
        return CPlayingValueError{0, value, std::move(reason)};
    }
    settings.Tuning = std::move(keys);
    return std::nullopt;
}
}  // namespace

std::optional<CPlayingValueError> ApplyPlayingDirective(PlayingSettings& settings, int32_t strings,
                                                        std::string_view key, std::string_view value)
{
    if (key == "Tuning")
        return ApplyTuning(settings, strings, value);
    std::size_t understood = 0;
    if (key == "Tempo") {
        const double tempo = ToRealValue(value, &understood);
        if (understood == 0)
            return CPlayingValueError{0, value, "is not a number of quarter notes per minute"};
        if (const auto rest = TrailingText(value, understood))
            return CPlayingValueError{*rest, value, "is not a number of quarter notes per minute"};
        if (!(tempo >= PlayingSettings::MinTempo && tempo <= PlayingSettings::MaxTempo))
            return CPlayingValueError{0, value, "is not a tempo from 4 to 1000 quarter notes per minute"};
        settings.Tempo = tempo;
        return std::nullopt;
    }
    const int32_t number = ToCountValue(value, &understood);
    const bool capo = key == "Capo";
    const char* const range = capo ? "is not a capo fret from 0 to 24" : "is not a General MIDI program from 0 to 127";
    if (understood == 0)
        return CPlayingValueError{0, value, range};
    if (const auto rest = TrailingText(value, understood))
        return CPlayingValueError{*rest, value, range};
    if (number < 0 || number > (capo ? PlayingSettings::MaxCapo : 127))
        return CPlayingValueError{0, value, range};
    (capo ? settings.Capo : settings.Program) = number;
    return std::nullopt;
}
