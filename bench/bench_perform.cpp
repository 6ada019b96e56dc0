// The performance of a long score and its exports (MIDI, MusicXML): each should take well
// under 50 ms for 4,600 bars, so that playing or exporting never waits on them, and grow
// linearly with the score (the 460- and 4,600-bar runs give the complexity).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "perform/MidiFile.h"
#include "perform/MusicXml.h"
#include "perform/Performance.h"
#include "settings/SettingsStore.h"

namespace
{
// A generated score of that many bars, read and laid out once.
const CScore& ScoreOfBars(int64_t bars)
{
    static CMemorySettingsStore store;
    static std::map<int64_t, std::unique_ptr<CScore>> scores;
    std::unique_ptr<CScore>& score = scores[bars];
    if (!score) {
        std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
        for (int64_t bar = 0; bar < bars; ++bar)
            text += BarOfMusic(static_cast<int>(bar));
        score = std::make_unique<CScore>(store);
        std::istringstream in(text);
        CScoreReader(*score).Read(in);
        score->LayoutScore();
    }
    return *score;
}

void Perform(benchmark::State& state)
{
    const CScore& score = ScoreOfBars(state.range(0));
    std::size_t notes = 0;
    for (auto _ : state) {
        const CPerformance performance = PerformScore(score);
        notes = performance.Notes.size();
        benchmark::DoNotOptimize(notes);
    }
    state.counters["notes"] = static_cast<double>(notes);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(Perform)->Arg(460)->Arg(4600)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void MidiFile(benchmark::State& state, bool vibrato)
{
    CPerformance performance = PerformScore(ScoreOfBars(state.range(0)));
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
    state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(MidiFile, plain, false)->Arg(460)->Arg(4600)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(MidiFile, all_vibrato, true)->Arg(4600)->Unit(benchmark::kMillisecond);

// The writer alone, with the texts decoded as "plekto render" decodes them.
void MusicXml(benchmark::State& state)
{
    const CScore& score = ScoreOfBars(state.range(0));
    const CPerformance performance = PerformScore(score);
    const TextDecoder decode = [&](std::string_view bytes) { return DecodeText(bytes, score.Encoding).toStdString(); };
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<std::string> xml = MusicXmlBytes(score, performance, decode);
        bytes = xml ? xml->size() : 0;
        benchmark::DoNotOptimize(xml);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(MusicXml)->Arg(460)->Arg(4600)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}  // namespace
