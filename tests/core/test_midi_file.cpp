// The Standard MIDI File writer on hand-made performances, read back by a small reader
// written from the file format: chunks, channels per string, tempo, time signatures,
// event order at one tick, vibrato bends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "perform/MidiFile.h"
#include "perform/Performance.h"

namespace
{
using Bytes = std::vector<uint8_t>;
struct CEvent
{
    int64_t Tick;
    Bytes Data;  // status and data bytes; a meta event as FF, type, data
    bool operator==(const CEvent&) const = default;
};
void PrintTo(const CEvent& e, std::ostream* os)
{
    *os << e.Tick << ':';
    for (uint8_t b : e.Data)
        *os << ' ' << int(b);
}
using CTrack = std::vector<CEvent>;

// The tracks of a format 1 file at 480 ticks a quarter (running status is not expected).
std::vector<CTrack> Parse(const std::string& s)
{
    std::size_t at = 0;
    const auto byte = [&] { return static_cast<uint8_t>(s.at(at++)); };
    const auto fixed = [&](int n) {
        uint32_t v = 0;
        while (n-- > 0)
            v = v << 8 | byte();
        return v;
    };
    const auto variable = [&] {
        uint32_t v = 0;
        for (uint8_t b = 0x80; b & 0x80;)
            v = v << 7 | ((b = byte()) & 0x7F);
        return v;
    };
    EXPECT_EQ(s.substr(0, 4), "MThd");
    at = 4;
    EXPECT_EQ(fixed(4), 6u);
    EXPECT_EQ(fixed(2), 1u);
    std::vector<CTrack> tracks(fixed(2));
    EXPECT_EQ(fixed(2), 480u);
    for (CTrack& track : tracks) {
        EXPECT_EQ(s.substr(at, 4), "MTrk");
        at += 4;
        const std::size_t end = fixed(4) + at;
        for (int64_t tick = 0; at < end;) {
            tick += variable();
            CEvent e{tick, {byte()}};
            uint32_t size = (e.Data[0] & 0xE0) == 0xC0 ? 1 : 2;  // program change, channel pressure: 1
            if (e.Data[0] == 0xFF) {
                e.Data.push_back(byte());
                size = variable();
            }
            for (uint32_t i = 0; i < size; ++i)
                e.Data.push_back(byte());
            track.push_back(e);
        }
        EXPECT_EQ(at, end);
        EXPECT_EQ(track.back().Data, (Bytes{0xFF, 0x2F}));
    }
    EXPECT_EQ(at, s.size());
    return tracks;
}

// Events of a kind: a status's high nibble, or FF and a meta type.
CTrack Only(const CTrack& track, uint8_t status, int meta = -1)
{
    CTrack found;
    std::copy_if(track.begin(), track.end(), std::back_inserter(found), [&](const CEvent& e) {
        return status == 0xFF ? e.Data[0] == 0xFF && e.Data[1] == meta : (e.Data[0] & 0xF0) == status;
    });
    return found;
}

std::string Text(const CEvent& e) { return std::string(e.Data.begin() + 2, e.Data.end()); }

CPerformance Guitar(int strings)
{
    CPerformance p;
    p.OpenStrings.assign(static_cast<std::size_t>(strings), 40);
    p.EndTick = 1920;
    return p;
}
}  // namespace

TEST(MidiFile, ChannelsPerStringAvoidTheDrumChannel)
{
    // Channels of tracks 1.. in order.
    const struct { const char* Name; int Strings; std::vector<int> Channels; std::vector<std::string> FirstNames; } cases[] = {
        {"seven", 7, {0, 1, 2, 3, 4, 5, 6}, {"String 1", "String 2"}},
        {"seventeen", 17, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15}, {"Strings 1, 16", "Strings 2, 17", "String 3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CPerformance p = Guitar(c.Strings);
        p.Program = 27;
        for (int s = 1; s <= c.Strings; ++s)
            p.Notes.push_back({0, s, 0, 40 + s, 480 * s, 240, 200, 0});
        const std::vector<CTrack> tracks = Parse(MidiFileBytes(p, "Title"));
        ASSERT_EQ(tracks.size(), c.Channels.size() + 1);
        for (std::size_t t = 1; t < tracks.size(); ++t) {
            const uint8_t channel = static_cast<uint8_t>(c.Channels[t - 1]);
            if (t <= c.FirstNames.size()) {
                EXPECT_EQ(Text(Only(tracks[t], 0xFF, 0x03).at(0)), c.FirstNames[t - 1]);
            }
            EXPECT_EQ(Only(tracks[t], 0xC0), (CTrack{{0, {static_cast<uint8_t>(0xC0 | channel), 27}}}));
            // The track's first note: string t, pitch 40 + t on beat t, its velocity clamped to 127.
            const CTrack ons = Only(tracks[t], 0x90), offs = Only(tracks[t], 0x80);
            ASSERT_FALSE(ons.empty()); ASSERT_FALSE(offs.empty());
            EXPECT_EQ(ons[0].Data, (Bytes{static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(40 + t), 127}));
            const int64_t beat = 480 * static_cast<int64_t>(t);
            EXPECT_EQ(std::pair(ons[0].Tick, offs[0].Tick), std::pair(beat, beat + 240));
            for (const CEvent& e : tracks[t])
                EXPECT_TRUE(e.Data[0] >= 0xF0 || (e.Data[0] & 0x0F) == channel) << int(e.Data[0]);
        }
    }
}

TEST(MidiFile, ConductorTrackHoldsTitleTempoAndWritableTimeSignatures)
{
    // Signatures: tick; numerator, log2 denominator, clocks a beat, 32nds a quarter.
    const struct { const char* Name; double Tempo; Bytes Microseconds; std::vector<CMetreEvent> Metres; CTrack Signatures; } cases[] = {
        {"common", 120, {0x07, 0xA1, 0x20}, {{0, 4, 4}, {1920, 6, 8}}, {{0, {4, 2, 24, 8}}, {1920, {6, 3, 12, 8}}}},
        // 60e6 / 100 = 600000; 3/6 is a 2/4 bar, 9/12 a 6/8 bar; no power of two holds 1/3.
        {"odd denominators", 100, {0x09, 0x27, 0xC0}, {{0, 3, 6}, {960, 1, 3}, {1280, 9, 12}},
         {{0, {2, 2, 24, 8}}, {1280, {6, 3, 12, 8}}}},
        {"too slow for three bytes", 0.5, {0xFF, 0xFF, 0xFF}, {}, {}},
        {"too fast", 1e9, {0, 0, 1}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CPerformance p = Guitar(6);
        p.Tempo = c.Tempo;
        p.Metres = c.Metres;
        const CTrack conductor = Parse(MidiFileBytes(p, "Tr\xC3\xA4umerei")).at(0);
        EXPECT_EQ(Text(Only(conductor, 0xFF, 0x03).at(0)), "Tr\xC3\xA4umerei");
        EXPECT_EQ(Text(Only(conductor, 0xFF, 0x51).at(0)), std::string(c.Microseconds.begin(), c.Microseconds.end()));
        CTrack signatures = Only(conductor, 0xFF, 0x58);
        for (CEvent& e : signatures)
            e.Data.erase(e.Data.begin(), e.Data.begin() + 2);
        EXPECT_EQ(signatures, c.Signatures);
        EXPECT_EQ(conductor.back().Tick, 1920);  // the end of the performance
    }
}

TEST(MidiFile, RepeatedPitchReattacksAndVibratoEndsAtTheCentre)
{
    CPerformance p = Guitar(6);
    p.Notes = {{0, 2, 1, 60, 0, 480, 90, 0}, {1, 2, 1, 60, 480, 960, 0, NoteVibrato}, {2, 3, 0, 55, 960, 0, 90, 0}};
    const std::string bytes = MidiFileBytes(p, "");
    EXPECT_EQ(bytes, MidiFileBytes(p, ""));
    const std::vector<CTrack> tracks = Parse(bytes);
    ASSERT_EQ(tracks.size(), 7u);
    const CTrack& track = tracks[2];  // string 2
    CTrack notes;
    std::copy_if(track.begin(), track.end(), std::back_inserter(notes),
                 [](const CEvent& e) { return (e.Data[0] & 0xE0) == 0x80; });
    // Velocity 0 would be a note-off: it is raised to 1.
    EXPECT_EQ(notes, (CTrack{{0, {0x91, 60, 90}}, {480, {0x81, 60, 64}}, {480, {0x91, 60, 1}}, {1440, {0x81, 60, 64}}}));
    // A note of no length still lasts a tick, so it never ends before it begins.
    EXPECT_EQ(Only(tracks[3], 0x80).at(0).Tick, 961);

    // At 120 a minute a 5 Hz cycle lasts 192 ticks: bends every 20 to 40 ticks, a quarter
    // tone (2048) either side at most. Where they lie and that they end at the centre is
    // checked through mido by tests/midi/read_back.py.
    const CTrack bends = Only(track, 0xE0);
    ASSERT_GT(bends.size(), 960u / 40);
    ASSERT_LT(bends.size(), 960u / 20 + 3);
    int low = 8192, high = 8192;
    for (const CEvent& e : bends) {
        low = std::min(low, e.Data[1] | e.Data[2] << 7);
        high = std::max(high, e.Data[1] | e.Data[2] << 7);
        EXPECT_EQ(e.Data[0], 0xE1) << e.Tick;  // on the string's channel
    }
    EXPECT_GE(low, 8192 - 2048); EXPECT_LT(low, 8192 - 1500);
    EXPECT_LE(high, 8192 + 2048); EXPECT_GT(high, 8192 + 1500);
}
