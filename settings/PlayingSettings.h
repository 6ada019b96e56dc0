// How a score is played: string tuning, capo, tempo and instrument, set by the
// directives "$Tuning", "$Capo", "$Tempo" and "$Program". They change nothing that is
// drawn and are not stored: a score file says how it sounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PlayingSettings
{
    std::vector<int32_t> Tuning;  // MIDI key of each open string, string 1 first; empty: the default
    int32_t Capo = 0;             // semitones
    double Tempo = 120.0;         // quarter notes per minute
    int32_t Program = 25;         // General MIDI program counted from 0: steel-string guitar

    // Tempos a Standard MIDI File can hold and a player can follow.
    static constexpr double MinTempo = 4.0;
    static constexpr double MaxTempo = 1000.0;
    // No guitar has a capo beyond its 24th fret.
    static constexpr int32_t MaxCapo = 24;
};

// The tuning of a staff of `strings` strings when "$Tuning" does not give one (string 1
// first): 6 the guitar's E4 B3 G3 D3 A2 E2; 7 adds B1, 8 F#1, and longer staffs go on
// down in fourths; 4 the bass's G2 D2 A1 E1, 5 adds B0; 1 to 3 the guitar's top strings.
// Keys never go below 0.
std::vector<int32_t> DefaultTuning(int32_t strings);

// The MIDI key of a scientific pitch name: a letter A-G (either case), an optional '#' or
// 'b', an octave from -1 to 9 ("E4" is 64, "F#3" 54, "Bb1" 34); nullopt when it is not one
// or lies outside 0..127.
std::optional<int32_t> PitchOfName(std::string_view name);

// What was wrong with a value: the offset of its first bad character, the part of the
// value the reason speaks of (a view into it) and the reason.
struct CPlayingValueError
{
    std::size_t Offset = 0;
    std::string_view Part;
    std::string Reason;
};

// Whether the key is one of the four directives above.
bool IsPlayingKey(std::string_view key);

// Applies one of the four directives to `settings`; `strings` is the staff's string count.
// A bad value changes nothing and is described in the result.
std::optional<CPlayingValueError> ApplyPlayingDirective(PlayingSettings& settings, int32_t strings,
                                                        std::string_view key, std::string_view value);
