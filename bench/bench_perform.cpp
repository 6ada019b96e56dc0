// The performance of a 4,600-bar score and its Standard MIDI File: each should take well
// under 50 ms, so that playing or exporting never waits on them.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "perform/MidiFile.h"
#include "perform/Performance.h"
#include "settings/SettingsStore.h"

namespace
{
const CScore& Score4600()
{
    static CMemorySettingsStore store;
    static const std::unique_ptr<CScore> score = [] {
        std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
        for (int bar = 0; bar < 4600; ++bar)
            text += BarOfMusic(bar);
        auto read = std::make_unique<CScore>(store);
        std::istringstream in(text);
        CScoreReader(*read).Read(in);
        return read;
    }();
    return *score;
}

void PerformScore4600(benchmark::State& state)
{
    const CScore& score = Score4600();
    std::size_t notes = 0;
    for (auto _ : state) {
        const CPerformance performance = PerformScore(score);
        notes = performance.Notes.size();
        benchmark::DoNotOptimize(notes);
    }
    state.counters["notes"] = static_cast<double>(notes);
}
BENCHMARK(PerformScore4600)->Unit(benchmark::kMillisecond);

void MidiFile4600(benchmark::State& state, bool vibrato)
{
    CPerformance performance = PerformScore(Score4600());
    // The worst case for size: every note under a vibrato, bent every few dozen ticks.
    if (vibrato)
        for (CNoteEvent& note : performance.Notes)
            note.Flags |= NoteVibrato;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string file = MidiFileBytes(performance, "Benchmark");
        bytes = file.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(MidiFile4600, plain, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MidiFile4600, all_vibrato, true)->Unit(benchmark::kMillisecond);
}  // namespace
