// The Standard MIDI File writer on hand-made performances, read back by a small reader
// written from the file format: chunks, channels per string, tempo, time signatures,
// event order at one tick, vibrato bends.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "perform/MidiFile.h"
#include "perform/Performance.h"

namespace
{
struct CEvent
{
    int64_t Tick;
    std::vector<uint8_t> Bytes;  // status and data; a meta event as FF, type, data
};
using CTrack = std::vector<CEvent>;

struct CMidi
{
    int Format = -1, Division = -1;
    std::vector<CTrack> Tracks;
};

uint32_t Number(const std::string& s, std::size_t& at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | static_cast<uint8_t>(s.at(at++));
    return v;
}

uint32_t VariableLength(const std::string& s, std::size_t& at)
{
    uint32_t v = 0;
    uint8_t b = 0;
    do {
        b = static_cast<uint8_t>(s.at(at++));
        v = v << 7 | (b & 0x7F);
    } while (b & 0x80);
    return v;
}

// Throws std::out_of_range on a truncated file.
CMidi Parse(const std::string& s)
{
    CMidi midi;
    std::size_t at = 0;
    EXPECT_EQ(s.substr(0, 4), "MThd");
    at = 4;
    EXPECT_EQ(Number(s, at, 4), 6u);
    midi.Format = static_cast<int>(Number(s, at, 2));
    const uint32_t tracks = Number(s, at, 2);
    midi.Division = static_cast<int>(Number(s, at, 2));
    for (uint32_t t = 0; t < tracks; ++t) {
        EXPECT_EQ(s.substr(at, 4), "MTrk");
        at += 4;
        const std::size_t end = Number(s, at, 4) + at;
        CTrack& track = midi.Tracks.emplace_back();
        int64_t tick = 0;
        uint8_t status = 0;
        while (at < end) {
            tick += VariableLength(s, at);
            if (static_cast<uint8_t>(s.at(at)) & 0x80)
                status = static_cast<uint8_t>(s.at(at++));
            CEvent event{tick, {status}};
            std::size_t size = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (status == 0xFF) {
                event.Bytes.push_back(static_cast<uint8_t>(s.at(at++)));
                size = VariableLength(s, at);
            }
            for (std::size_t i = 0; i < size; ++i)
                event.Bytes.push_back(static_cast<uint8_t>(s.at(at++)));
            track.push_back(event);
        }
        EXPECT_EQ(at, end);
        EXPECT_EQ(track.back().Bytes, (std::vector<uint8_t>{0xFF, 0x2F}));
    }
    EXPECT_EQ(at, s.size());
    return midi;
}

std::string Text(const CEvent& e) { return std::string(e.Bytes.begin() + 2, e.Bytes.end()); }

// Events of a kind (status high nibble, or FF and the meta type).
std::vector<CEvent> Only(const CTrack& track, uint8_t status, int meta = -1)
{
    std::vector<CEvent> found;
    for (const CEvent& e : track)
        if (status == 0xFF ? e.Bytes[0] == 0xFF && e.Bytes[1] == meta : (e.Bytes[0] & 0xF0) == status)
            found.push_back(e);
    return found;
}

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
    const struct
    {
        const char* Name;
        int Strings;
        std::vector<int> Channels;  // of tracks 1.. in order
        std::vector<std::string> Names;
    } cases[] = {
        {"six", 6, {0, 1, 2, 3, 4, 5}, {"String 1", "String 2", "String 3", "String 4", "String 5", "String 6"}},
        {"seven", 7, {0, 1, 2, 3, 4, 5, 6}, {"String 1", "String 2", "String 3", "String 4", "String 5", "String 6", "String 7"}},
        {"seventeen", 17, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15},
         {"Strings 1, 16", "Strings 2, 17", "String 3", "String 4", "String 5", "String 6", "String 7", "String 8",
          "String 9", "String 10", "String 11", "String 12", "String 13", "String 14", "String 15"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CPerformance p = Guitar(c.Strings);
        p.Program = 27;
        for (int s = 1; s <= c.Strings; ++s)
            p.Notes.push_back({0, s, 0, 40 + s, 480 * s, 240, 200, 0});
        const CMidi midi = Parse(MidiFileBytes(p, "Title"));
        EXPECT_EQ(midi.Format, 1);
        EXPECT_EQ(midi.Division, 480);
        ASSERT_EQ(midi.Tracks.size(), c.Channels.size() + 1);
        for (std::size_t t = 1; t < midi.Tracks.size(); ++t) {
            const CTrack& track = midi.Tracks[t];
            EXPECT_EQ(Text(Only(track, 0xFF, 0x03).at(0)), c.Names[t - 1]);
            const std::vector<CEvent> programs = Only(track, 0xC0), ons = Only(track, 0x90);
            ASSERT_EQ(programs.size(), 1u);
            EXPECT_EQ(programs[0].Bytes, (std::vector<uint8_t>{static_cast<uint8_t>(0xC0 | c.Channels[t - 1]), 27}));
            for (const CEvent& e : track) {
                if (e.Bytes[0] < 0xF0) {
                    EXPECT_EQ(e.Bytes[0] & 0x0F, c.Channels[t - 1]);
                }
            }
            // String s plays pitch 40 + s at beat s, velocity clamped to 127.
            ASSERT_FALSE(ons.empty());
            EXPECT_EQ(ons[0].Bytes, (std::vector<uint8_t>{static_cast<uint8_t>(0x90 | c.Channels[t - 1]),
                                                          static_cast<uint8_t>(40 + t), 127}));
            EXPECT_EQ(ons[0].Tick, 480 * static_cast<int64_t>(t));
            EXPECT_EQ(Only(track, 0x80).at(0).Tick, 480 * static_cast<int64_t>(t) + 240);
        }
    }
}

TEST(MidiFile, ConductorTrackHoldsTitleTempoAndWritableTimeSignatures)
{
    const struct
    {
        const char* Name;
        double Tempo;
        std::vector<uint8_t> Microseconds;
        std::vector<CMetreEvent> Metres;
        std::vector<std::vector<uint8_t>> Signatures;  // numerator, log2 denominator, clocks, 32nds
        std::vector<int64_t> Ticks;
    } cases[] = {
        {"common", 120, {0x07, 0xA1, 0x20}, {{0, 4, 4}, {1920, 6, 8}},
         {{4, 2, 24, 8}, {6, 3, 12, 8}}, {0, 1920}},
        // 60e6 / 100 = 600000; 3/6 is a 2/4 bar, 9/12 a 6/8 bar; no power of two holds 1/3.
        {"odd denominators", 100, {0x09, 0x27, 0xC0}, {{0, 3, 6}, {960, 1, 3}, {1280, 9, 12}},
         {{2, 2, 24, 8}, {6, 3, 12, 8}}, {0, 1280}},
        {"too slow for three bytes", 0.5, {0xFF, 0xFF, 0xFF}, {}, {}, {}},
        {"too fast", 1e9, {0, 0, 1}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        CPerformance p = Guitar(6);
        p.Tempo = c.Tempo;
        p.Metres = c.Metres;
        const CMidi midi = Parse(MidiFileBytes(p, "Tr\xC3\xA4umerei"));
        const CTrack& conductor = midi.Tracks.at(0);
        EXPECT_EQ(Text(Only(conductor, 0xFF, 0x03).at(0)), "Tr\xC3\xA4umerei");
        EXPECT_EQ(Only(conductor, 0xFF, 0x51).at(0).Bytes, (std::vector<uint8_t>{0xFF, 0x51, c.Microseconds[0],
                                                                                  c.Microseconds[1], c.Microseconds[2]}));
        const std::vector<CEvent> signatures = Only(conductor, 0xFF, 0x58);
        ASSERT_EQ(signatures.size(), c.Signatures.size());
        for (std::size_t i = 0; i < signatures.size(); ++i) {
            EXPECT_EQ(std::vector<uint8_t>(signatures[i].Bytes.begin() + 2, signatures[i].Bytes.end()),
                      c.Signatures[i]);
            EXPECT_EQ(signatures[i].Tick, c.Ticks[i]);
        }
        EXPECT_EQ(conductor.back().Tick, 1920);  // the end of the performance
    }
}

TEST(MidiFile, RepeatedPitchReattacksAndVibratoEndsAtTheCentre)
{
    CPerformance p = Guitar(6);
    p.Notes = {{0, 2, 1, 60, 0, 480, 90, 0}, {1, 2, 1, 60, 480, 960, 0, NoteVibrato}};
    const std::string bytes = MidiFileBytes(p, "");
    EXPECT_EQ(bytes, MidiFileBytes(p, ""));
    const CMidi midi = Parse(bytes);
    ASSERT_EQ(midi.Tracks.size(), 7u);
    const CTrack& track = midi.Tracks[2];  // string 2
    std::vector<std::pair<int64_t, uint8_t>> notes;
    for (const CEvent& e : track)
        if ((e.Bytes[0] & 0xE0) == 0x80)
            notes.emplace_back(e.Tick, e.Bytes[0]);
    const std::vector<std::pair<int64_t, uint8_t>> expected = {{0, 0x91}, {480, 0x81}, {480, 0x91}, {1440, 0x81}};
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(Only(track, 0x90).at(1).Bytes[2], 1);  // velocity 0 would be a note-off

    // At 120 a minute a 5 Hz cycle lasts 192 ticks: bends every 20 to 40 ticks, a quarter
    // tone (2048) either side at most, then the centre at the note's end.
    const std::vector<CEvent> bends = Only(track, 0xE0);
    ASSERT_GT(bends.size(), 960u / 40);
    ASSERT_LT(bends.size(), 960u / 20 + 3);
    int low = 8192, high = 8192;
    for (const CEvent& e : bends) {
        const int value = e.Bytes[1] | e.Bytes[2] << 7;
        low = std::min(low, value);
        high = std::max(high, value);
        EXPECT_GE(e.Tick, 480);
        EXPECT_LE(e.Tick, 1440);
    }
    EXPECT_GE(low, 8192 - 2048);
    EXPECT_LT(low, 8192 - 1500);
    EXPECT_LE(high, 8192 + 2048);
    EXPECT_GT(high, 8192 + 1500);
    EXPECT_EQ(bends.back().Tick, 1440);
    EXPECT_EQ(bends.back().Bytes, (std::vector<uint8_t>{0xE1, 0x00, 0x40}));
    // The bends stay on the vibrato's string.
    EXPECT_EQ(Only(midi.Tracks[1], 0xE0).size(), 0u);
}
