// MusicXML export of a long score: the writer alone, from a score already read, laid out
// and performed, with the texts decoded as "plekto render" decodes them.
#include <benchmark/benchmark.h>

#include <sstream>

#include "ScoreText.h"
#include "display/qt/TextCodec.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "perform/MusicXml.h"
#include "perform/Performance.h"
#include "settings/SettingsStore.h"

namespace
{
// The 4,600-bar score of the drawing benchmarks: meant to take well under 50 ms.
void MusicXml4600(benchmark::State& state)
{
    CMemorySettingsStore store;
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; bar < 4600; ++bar)
        text += BarOfMusic(bar);
    CScore score(store);
    std::istringstream in(text);
    CScoreReader(score).Read(in);
    score.LayoutScore();
    const CPerformance performance = PerformScore(score);
    const TextDecoder decode = [&](std::string_view bytes) { return DecodeText(bytes, score.Encoding).toStdString(); };
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<std::string> xml = MusicXmlBytes(score, performance, decode);
        bytes = xml ? xml->size() : 0;
        benchmark::DoNotOptimize(xml);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(MusicXml4600)->Unit(benchmark::kMillisecond);
}  // namespace
