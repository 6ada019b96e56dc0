// Reading generated scores: the reader's throughput from memory and from a file, and the
// check path (reading with diagnostics).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <malloc.h>
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

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // small blocks and mapped ones
}

// The model's size: heap bytes that a read score holds, per byte of its text.
void ModelSize(benchmark::State& state)
{
    const std::string& text = TenMegabytes();
    CMemorySettingsStore store;
    double perByte = 0;
    for (auto _ : state) {
        auto score = std::make_unique<CScore>(store);
        const std::size_t before = HeapInUse();
        ReadScoreText(text, *score);
        perByte = static_cast<double>(HeapInUse() - before) / static_cast<double>(text.size());
        benchmark::DoNotOptimize(score->UnitItems.size());
    }
    state.counters["model_bytes_per_input_byte"] = perByte;
}
BENCHMARK(ModelSize)->Unit(benchmark::kMillisecond)->Iterations(1);
}  // namespace

// The check path: reading with diagnostics must stay linear in the input, on ordinary
// lines and on one long line holding every token (marks opened all along it).
namespace
{
const std::string& TwoMegabytesOnOneLine()
{
    static const std::string text = [] {
        std::string one = ScoreOfSize(2 * 1024 * 1024);
        std::replace(one.begin(), one.end(), '\n', '/');
        return one;
    }();
    return text;
}

void CheckText(benchmark::State& state, const std::string& text)
{
    CMemorySettingsStore store;
    std::size_t found = 0;
    for (auto _ : state) {
        CScore score(store);
        std::vector<CDiagnostic> diagnostics;
        ReadScoreText(text, score, &diagnostics);
        found = diagnostics.size();
        benchmark::DoNotOptimize(score.UnitItems.size());
    }
    state.counters["diagnostics"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void ReadWithDiagnosticsOneLine(benchmark::State& state) { CheckText(state, TwoMegabytesOnOneLine()); }
BENCHMARK(ReadWithDiagnosticsOneLine)->Unit(benchmark::kMillisecond);

void ReadWithDiagnosticsTenMegabytes(benchmark::State& state) { CheckText(state, TenMegabytes()); }
BENCHMARK(ReadWithDiagnosticsTenMegabytes)->Unit(benchmark::kMillisecond);
}  // namespace
