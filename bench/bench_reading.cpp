// Reading a generated 10 MB score: the reader's throughput, from memory and from a file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ScoreText.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
const std::string& TenMegabytes()
{
    static const std::string text = ScoreOfSize(10 * 1024 * 1024);
    return text;
}

void ReadFromMemory(benchmark::State& state)
{
    const std::string& text = TenMegabytes();
    CMemorySettingsStore store;
    for (auto _ : state) {
        CScore score(store);
        std::istringstream in(text);
        CScoreReader(score).Read(in);
        benchmark::DoNotOptimize(score.UnitItems.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(ReadFromMemory)->Unit(benchmark::kMillisecond);

void ReadFromFile(benchmark::State& state)
{
    const std::string& text = TenMegabytes();
    const std::string path = "/tmp/plekto_bench_10mb.tab";
    std::ofstream(path, std::ios::binary) << text;
    CMemorySettingsStore store;
    for (auto _ : state) {
        CScore score(store);
        ReadScoreFile(path, score);
        benchmark::DoNotOptimize(score.UnitItems.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    std::remove(path.c_str());
}
BENCHMARK(ReadFromFile)->Unit(benchmark::kMillisecond);
}  // namespace
