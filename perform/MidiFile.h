// A performance as a Standard MIDI File (format 1, TicksPerQuarter to a quarter): a
// conductor track with the title, tempo and time signatures, then one track per channel
// holding the notes of its strings, so that bends and vibrato stay on their string.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CPerformance;

// The channel (0..15, never the drum channel 9) that sounds a string, 1 the top string.
// Strings 1..15 take a channel each; further strings share them in turn.
int32_t MidiChannelOfString(int32_t string);

// One channel message (status and data bytes; Size of them) at a tick of played time.
struct CMidiMessage
{
    int64_t Tick = 0;
    uint8_t Size = 0;
    std::array<uint8_t, 3> Data{};
};

// The channel messages the file plays (bend range, program, notes, vibrato bends) in the
// order to send them: by tick, and at one tick set-up, note-offs, bends, note-ons. A
// synthesizer that plays these sounds what the file sounds.
std::vector<CMidiMessage> MidiMessages(const CPerformance& performance);

// The file's bytes; trackName (UTF-8, usually the main title) names the conductor track.
// The same performance always gives the same bytes.
std::string MidiFileBytes(const CPerformance& performance, std::string_view trackName);
