// Audio rendering measured on its samples: onsets where the performance puts the notes,
// silence in rests, the release tail bounded, the pitch of open strings from their
// tuning, equal renders, and where a missing SoundFont was looked for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../core/ScoreFixture.h"
#include "audio/AudioRender.h"
#include "audio/SoundFont.h"
#include "audio/Synthesizer.h"
#include "perform/Performance.h"

namespace
{
constexpr double Rate = CSynthesizer::SampleRate;

// The SoundFont the command line would find with --defaults; empty with the reason in error.
std::string SoundFont(std::string& error)
{
    const auto found = FindSoundFont(SoundFontPlaces(std::nullopt), error);
    return found ? *found : std::string();
}

// The left channel of the performance played with the system's SoundFont.
std::vector<int16_t> Play(const CPerformance& performance)
{
    std::vector<int16_t> left;
    std::string error;
    const std::string soundFont = SoundFont(error);
    CSynthesizer synth;
    if (soundFont.empty() || !synth.Load(soundFont, error)) {
        ADD_FAILURE() << "no SoundFont (tools/setup.sh installs fluid-soundfont-gm): " << error;
        return left;
    }
    const bool rendered = RenderPerformance(
        performance, synth,
        [&](const int16_t* samples, std::size_t frames) {
            for (std::size_t i = 0; i < frames; ++i)
                left.push_back(samples[2 * i]);
            return true;
        },
        error);
    EXPECT_TRUE(rendered) << error;
    return left;
}

int Peak(const std::vector<int16_t>& samples, double from, double to)
{
    int peak = 0;
    for (auto i = static_cast<std::size_t>(std::max(0.0, from * Rate)); i < samples.size() && i < to * Rate; ++i)
        peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
}

// Seconds where the sound first rises above a tenth of the loudest sample after from.
double OnsetAfter(const std::vector<int16_t>& samples, double from, int loudest)
{
    for (auto i = static_cast<std::size_t>(std::max(0.0, from) * Rate); i < samples.size(); ++i)
        if (std::abs(int{samples[i]}) > loudest / 10)
            return static_cast<double>(i) / Rate;
    return -1.0;
}

// The frequency over a second of sustained sound: the lag of ten periods that best matches
// the sound with itself, searched within a semitone of the expected frequency.
double Frequency(const std::vector<int16_t>& s, double from, double expected)
{
    const auto start = static_cast<std::size_t>(from * Rate);
    const auto span = static_cast<std::size_t>(Rate);
    const auto lo = static_cast<std::size_t>(10 * Rate / (expected * 1.06));
    const auto hi = static_cast<std::size_t>(10 * Rate / (expected / 1.06));
    if (start + span + hi > s.size())
        return 0.0;
    std::size_t best = lo;
    double bestScore = -1e300;
    for (std::size_t lag = lo; lag <= hi; ++lag) {
        double score = 0.0;
        for (std::size_t i = start; i < start + span; ++i)
            score -= std::abs(int{s[i]} - int{s[i + lag]});
        if (score > bestScore)
            bestScore = score, best = lag;
    }
    return 10 * Rate / static_cast<double>(best);
}
}  // namespace

TEST(Audio, NotesStartOnTimeAndRestsAreSilent)
{
    // 120 a minute: quarters of half a second; notes after rests of two whole bars, long
    // enough for the steel guitar's release (FluidR3: about -40 dB two seconds on) to end.
    ReadScore read("$Tempo:120\nn4nn....0/r1/r1/n8nn....0/r1/r1/n4nn..0/r2");
    const CPerformance performance = PerformScore(*read.Score);
    ASSERT_EQ(performance.Notes.size(), 3u);
    const std::vector<int16_t> left = Play(performance);
    ASSERT_FALSE(left.empty());
    const int loudest = Peak(left, 0.0, 1e9);
    ASSERT_GT(loudest, 1000);
    double lastOff = 0.0;
    for (const CNoteEvent& note : performance.Notes) {
        const double on = SecondsAt(performance, note.Onset);
        const double off = SecondsAt(performance, note.Onset + note.Duration);
        // Nothing sounds from well after the note before until this one starts.
        if (on > 0.0) {
            EXPECT_LT(Peak(left, lastOff + 2.0, on - 0.001), loudest / 100) << "rest before " << on;
        }
        EXPECT_NEAR(OnsetAfter(left, on - 0.05, loudest), on, 0.010) << "note at " << on;
        lastOff = off;
    }
    // The release runs on past the last note-off, but not beyond the bound.
    const double length = static_cast<double>(left.size()) / Rate;
    EXPECT_GT(length, lastOff + 0.05);
    EXPECT_LT(length, lastOff + AudioTailSeconds);
    EXPECT_GT(Peak(left, lastOff, lastOff + 0.05), loudest / 100);
}

TEST(Audio, SustainedNotesSoundAtTheirTuning)
{
    // Which pitch a fret makes is the performance's (Performance.PitchesFollowTuningAndCapo).
    // Hz in equal temperament from A4 = 440 Hz.
    const struct { const char* Name; const char* Text; double Hz; } rows[] = {
        {"open A string", "n1nn....0", 110.0},
        {"dropped tuning, capo 2", "$Tuning:E4,B3,G3,D3,A2,D2\n$Capo:2\nn1nn.....0", 82.4069},
    };
    for (const auto& row : rows) {
        ReadScore read(std::string("$Tempo:120\n") + row.Text);
        const std::vector<int16_t> left = Play(PerformScore(*read.Score));
        const double hz = Frequency(left, 0.5, row.Hz);
        EXPECT_NEAR(1200.0 * std::log2(hz / row.Hz), 0.0, 5.0) << row.Name << ": " << hz << " Hz";
    }
}

TEST(Audio, TheSameScoreGivesTheSameSamples)
{
    ReadScore read("$Tempo:150\nn8cn0/n8cn.2/n4nn3.0.0.0.2.3/vbs4/n2nn....0/vbe/");
    const CPerformance performance = PerformScore(*read.Score);
    const std::vector<int16_t> first = Play(performance);
    EXPECT_GT(first.size(), 0u);
    EXPECT_EQ(Play(performance), first);
}

TEST(Audio, MissingSoundFontNamesEveryPlaceAndWhy)
{
    const auto dir = std::filesystem::temp_directory_path() / "plekto_audio_test";
    std::filesystem::create_directories(dir);
    const std::string text = (dir / "notes.sf2").string();
    std::ofstream(text) << "RIFF....WAVEnot a SoundFont";
    const std::vector<CSoundFontPlace> places = {
        {"$PLEKTO_SOUNDFONT", std::nullopt},
        {"the stored setting", (dir / "missing.sf2").string()},
        {"the system's", text},
        {"a folder", dir.string()},
    };
    std::string error;
    EXPECT_FALSE(FindSoundFont(places, error));
    for (const char* part : {"$PLEKTO_SOUNDFONT: not set", "the stored setting: ", "missing.sf2: No such file",
                             "the system's: ", "notes.sf2: it is not a SoundFont", "a folder: "})
        EXPECT_NE(error.find(part), std::string::npos) << part << " in " << error;

    // The first usable place wins, whatever follows.
    std::vector<CSoundFontPlace> withOne = places;
    const std::string usable = SoundFont(error);
    withOne.insert(withOne.begin() + 2, {"usable", usable});
    EXPECT_EQ(FindSoundFont(withOne, error), usable);
    // The environment comes first.
    ::setenv(SoundFontVariable, text.c_str(), 1);
    EXPECT_EQ(SoundFontPlaces("stored").front().Path, text);
    ::unsetenv(SoundFontVariable);
    std::filesystem::remove_all(dir);
}
