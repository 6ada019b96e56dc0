// A performance as a Standard MIDI File (format 1, TicksPerQuarter to a quarter): a
// conductor track with the title, tempo and time signatures, then one track per channel
// holding the notes of its strings, so that bends and vibrato stay on their string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CPerformance;

// The channel (0..15, never the drum channel 9) that sounds a string, 1 the top string.
// Strings 1..15 take a channel each; further strings share them in turn.
int32_t MidiChannelOfString(int32_t string);

// The file's bytes; trackName (UTF-8, usually the main title) names the conductor track.
// The same performance always gives the same bytes.
std::string MidiFileBytes(const CPerformance& performance, std::string_view trackName);
