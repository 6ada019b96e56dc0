// What a score sounds like: pitches from tunings and capo, timing of lengths, dots and
// tuplets, ties against legato, and the playing order of repeats and endings. Expected
// values are worked out by hand from the rules (E4 is MIDI key 64, a quarter 480 ticks).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ScoreFixture.h"
#include "perform/Performance.h"

namespace
{
// One member of every note, in playing order.
template <class T>
std::vector<T> Each(const CPerformance& p, T CNoteEvent::*member)
{
    std::vector<T> values;
    for (const CNoteEvent& n : p.Notes)
        values.push_back(n.*member);
    return values;
}

// (onset, duration) of every note.
std::vector<std::pair<int64_t, int64_t>> Times(const CPerformance& p)
{
    std::vector<std::pair<int64_t, int64_t>> times;
    for (const CNoteEvent& n : p.Notes)
        times.emplace_back(n.Onset, n.Duration);
    return times;
}
}  // namespace

TEST(Performance, PitchesFollowTuningAndCapo)
{
    const std::pair<std::string, std::vector<int32_t>> rows[] = {
        {"n4nn0.0.0.0.0.0", {64, 59, 55, 50, 45, 40}},
        {"$Strings:7\nn4nn-.-.-.-.-.-.0", {35}},
        {"$Strings:8\nn4nn-.-.-.-.-.-.-.0", {30}},
        {"$Strings:9\nn4nn-.-.-.-.-.-.-.-.0", {25}},
        {"$Strings:4\nn4nn0.0.0.0", {43, 38, 33, 28}},
        {"$Strings:5\nn4nn-.-.-.-.0", {23}},
        {"$Strings:3\nn4nn0.0.0", {64, 59, 55}},
        {"n4nn12.-.-.-.-.3", {76, 43}},
        {"$Capo:2\nn4nn0.3", {66, 64}},
        {"$Tuning:D4,A3,F#3,C3,G2,Db2\nn4nn0.0.0.0.0.0", {62, 57, 54, 48, 43, 37}},
        {"$Tuning:e4,b3,g3,d3,a2,e2\n$Capo:5\nn4nn-.-.-.-.-.1", {46}},
        {"$Strings:1\n$Tuning:C-1\nn4nn0", {0}},
        {"$Strings:1\n$Tuning:G9\nn4nn20", {127}},  // clamped to the highest key
        // Bad values are skipped on their own: the defaults stay.
        {"$Tuning:E4,B3\nn4nn0", {64}},
        {"$Tuning:E4,B3,G3,D3,A2,H2\nn4nn0", {64}},
        {"$Capo:-1\nn4nn0", {64}},
        {"$Capo:3x\nn4nn0", {64}},
    };
    for (const auto& [text, pitches] : rows) {
        ReadScore read(text);
        EXPECT_EQ(Each(PerformScore(*read.Score), &CNoteEvent::Pitch), pitches) << text;
    }
}

TEST(Performance, TempoAndProgramKeepTheirDefaultsWhenBad)
{
    const std::tuple<std::string, double, int32_t> rows[] = {
        {"", 120.0, 25},
        {"$Tempo:92.5/$Program:0", 92.5, 0},
        {"$Tempo:0/$Program:128", 120.0, 25},
        {"$Tempo:1e400/$Program:abc", 120.0, 25},
        {"$Tempo:90/$Tempo:60", 60.0, 25},  // a later one overrides
    };
    for (const auto& [text, tempo, program] : rows) {
        ReadScore read(text);
        const CPerformance p = PerformScore(*read.Score);
        EXPECT_EQ(p.Tempo, tempo) << text;
        EXPECT_EQ(p.Program, program) << text;
    }
    ReadScore read("$Tempo:90\nr4/r4");
    EXPECT_DOUBLE_EQ(SecondsAt(PerformScore(*read.Score), 960), 960.0 / 480 * 60 / 90);
}

TEST(Performance, LengthsDotsAndTupletsTime)
{
    using Times_ = std::vector<std::pair<int64_t, int64_t>>;
    const std::pair<std::string, Times_> rows[] = {
        {"n4nn0/n8nn0/n16nn0/n1nn0", {{0, 480}, {480, 240}, {720, 120}, {840, 1920}}},
        {"n4.nn0/n8.nn0/r4/n0nn0/n3nn0", {{0, 720}, {720, 360}, {1560, 480}, {2040, 640}}},
        // Triplet eighths 3:2, a duplet 2 in the time of 3, quintuplet sixteenths 5:4.
        {"n8cn0/3s/n8cn0/n8cn0/3e/n4nn0", {{0, 160}, {160, 160}, {320, 160}, {480, 480}}},
        {"n8cn0/3s2/n8cn0/3e/n4nn0", {{0, 360}, {360, 360}, {720, 480}}},
        {"n16cn0/3s5/" + Repeat("n16cn0", 4) + "3e", {{0, 96}, {96, 96}, {192, 96}, {288, 96}, {384, 96}}},
        // Septuplets 7:4 do not fall on ticks: onsets are rounded, never drifting.
        {"n16cn0/3s7/" + Repeat("n16cn0", 6) + "3e/n4nn0",
         {{0, 69}, {69, 68}, {137, 69}, {206, 68}, {274, 69}, {343, 68}, {411, 69}, {480, 480}}},
        // Nested: a triplet inside a triplet scales by 4/9; level 1 changes nothing.
        {"n4nn0/3s/n8nn0/3s/n8nn0/3e/3e/n4nn0/3s1/3e", {{0, 320}, {320, 107}, {427, 106}, {533, 480}}},
        // A tie between equal frets on its string sustains one note over both.
        {"n4nn.5/_s2/n4nn.5/_e/n4nn.5", {{0, 960}, {960, 480}}},
    };
    for (const auto& [text, times] : rows) {
        ReadScore read(text);
        EXPECT_EQ(Times(PerformScore(*read.Score)), times) << text;
    }
    ReadScore read("n8cn0/3s/n8cn0/n8cn0/3e/n4nn0");
    const CPerformance p = PerformScore(*read.Score);
    EXPECT_EQ(p.Written[1].TupletActual, 3);
    EXPECT_EQ(p.Written[1].TupletNormal, 2);
    EXPECT_EQ(p.Written[3].TupletActual, 1);
    EXPECT_EQ(p.EndTick, 960);
}

TEST(Performance, TiesSustainAndSlursPlayLegato)
{
    const std::pair<std::string, uint32_t> rows[] = {
        {"n4nn.5/_sh2/n4nn.7/_e", NoteLegato | NoteHammerOn},
        {"n4nn.7/_sp2/n4nn.5/_e", NoteLegato | NotePullOff},
        {"n4nn.5/_ssl2/n4nn.9/_e", NoteLegato | NoteSlide},
        {"n4nn.5/_s2/n4nn.7/_e", NoteLegato},        // a plain tie between different frets
        {"n4nn.5/_sh2/n4nn.5/_e", NoteLegato | NoteHammerOn},
        {"n4nn.5/_s3/n4nn.5/_e", 0},                 // the tie is on another string
    };
    for (const auto& [text, flags] : rows) {
        ReadScore read(text);
        const CPerformance p = PerformScore(*read.Score);
        ASSERT_EQ(p.Notes.size(), 2u) << text;
        EXPECT_EQ(p.Notes[1].Flags, flags) << text;
        EXPECT_EQ(p.Notes[0].Duration, 480) << text;
    }
}

TEST(Performance, DeadSlashAndVibratoNotes)
{
    ReadScore read("n2nnx.3/n2nc0/n2ns0/n2nn.-.2/vbs3/n2nn.-.2/vbe");
    const CPerformance p = PerformScore(*read.Score);
    ASSERT_EQ(p.Notes.size(), 5u);  // the slash head sounds nothing
    EXPECT_EQ(p.Notes[0].Flags, NoteDead);
    EXPECT_EQ(p.Notes[0].Pitch, 64);  // a muted string knocks at its open pitch
    EXPECT_EQ(p.Notes[0].Duration, 60);
    EXPECT_EQ(p.Notes[1].Flags, 0u);
    EXPECT_EQ(p.Notes[2].Flags, NoteDead);  // the cross head
    EXPECT_EQ(p.Notes[3].Flags, NoteVibrato);
    EXPECT_EQ(p.Notes[4].Flags, NoteVibrato);
    EXPECT_EQ(p.Notes[4].Onset, 960 * 4);
}

TEST(Performance, RepeatsAndEndingsPlayAsMusiciansReadThem)
{
    const std::pair<std::string, std::vector<int32_t>> rows[] = {
        {"n4nn0/n4nn1/|:e/n4nn2", {0, 1, 0, 1, 2}},  // no opening: from the start
        {"n4nn9/|:/n4nn0/|:e/n4nn2", {9, 0, 0, 2}},
        {"|:/n4nn0/n4nn1/[s1./[e/|:e/n4nn2/[s2./[e/n4nn3", {0, 1, 0, 2, 3}},
        {"|:/n4nn0/n4nn1/[s1.2./[e/|:e/n4nn2/[s3./[e/n4nn3", {0, 1, 0, 1, 0, 2, 3}},
        // Two sections; the second returns to just after the first's closing bar.
        {"n4nn0/|:e/n4nn1/|:e", {0, 0, 1, 1}},
        // An ending whose closing bar it holds: on the second pass both are skipped.
        {"|:/n4nn0/n4nn1/[s1./|:e/[e/n4nn2/[s2./[e/n4nn3", {0, 1, 0, 2, 3}},
    };
    for (const auto& [text, frets] : rows) {
        ReadScore read(text);
        EXPECT_EQ(Each(PerformScore(*read.Score), &CNoteEvent::Fret), frets) << text;
    }
    ReadScore read("|:/n4nn0/|:e");
    const CPerformance p = PerformScore(*read.Score);
    ASSERT_EQ(p.Played.size(), 6u);
    EXPECT_EQ(p.Played[3].Pass, 2);
    EXPECT_EQ(p.Notes[1].Onset, 480);
    EXPECT_EQ(p.EndTick, 960);
}

TEST(Performance, AbsurdFormsStayBounded)
{
    // Thirty-one passes of a long section: the unrolled performance stays within its budget.
    std::string text = "|:/" + Repeat("n4nn0", 2500) + "[s31./[e/|:e";
    ReadScore read(text);
    const CPerformance p = PerformScore(*read.Score);
    EXPECT_LE(p.Played.size(), 5 * read.Items() + 65536);  // the budget and one more pass
    EXPECT_GT(p.Played.size(), 2 * read.Items());
    ReadScore empty("");
    EXPECT_TRUE(PerformScore(*empty.Score).Notes.empty());
}
