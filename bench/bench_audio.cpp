// Audio of a 460-bar score (some 15 minutes at 120 a minute) through FluidSynth into a
// sink that only keeps the peak: it should run at least 50 times faster than real time
// (counter "x_realtime"), so that exporting never keeps anyone waiting long.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "audio/AudioRender.h"
#include "audio/SoundFont.h"
#include "audio/Synthesizer.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "perform/Performance.h"
#include "settings/SettingsStore.h"

namespace
{
CPerformance Performance460()
{
    CMemorySettingsStore store;
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; bar < 460; ++bar)
        text += BarOfMusic(bar);
    CScore score(store);
    std::istringstream in(text);
    CScoreReader(score).Read(in);
    return PerformScore(score);
}

void RenderAudio460(benchmark::State& state)
{
    const CPerformance performance = Performance460();
    std::string error;
    const auto soundFont = FindSoundFont(SoundFontPlaces(std::nullopt), error);
    if (!soundFont) {
        state.SkipWithError(error.c_str());
        return;
    }
    int64_t frames = 0;
    for (auto _ : state) {
        CSynthesizer synth;
        if (!synth.Load(*soundFont, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        frames = 0;
        int peak = 0;
        RenderPerformance(
            performance, synth,
            [&](const int16_t* samples, std::size_t n) {
                frames += static_cast<int64_t>(n);
                for (std::size_t i = 0; i < 2 * n; ++i)
                    peak = std::max(peak, std::abs(int{samples[i]}));
                return true;
            },
            error);
        benchmark::DoNotOptimize(peak);
    }
    const double seconds = static_cast<double>(frames) / CSynthesizer::SampleRate;
    state.counters["audio_s"] = seconds;
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(RenderAudio460)->Unit(benchmark::kMillisecond)->Iterations(2);
}  // namespace
