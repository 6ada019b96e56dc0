// Layout and page drawing of a score that fills all 129 pages: on the recording
// surface (the drawing code alone) and into a PDF (with Qt's painting), plus a PNG of
// a one-page score. Run with --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "display/qt/Export.h"
#include "display/qt/PageDrawer.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
std::unique_ptr<CScore> ReadText(const CSettingsStore& store, const std::string& text)
{
    auto score = std::make_unique<CScore>(store);
    std::istringstream in(text);
    CScoreReader(*score).Read(in);
    score->LayoutScore();
    return score;
}

// Generated music, long enough to run past the last page the layout records.
const std::string& FullScoreText()
{
    static const std::string text = ScoreOfSize(600 * 1024);
    return text;
}

struct CFullScore
{
    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score = ReadText(Store, FullScoreText());
};

CFullScore& FullScore()
{
    static CFullScore full;
    return full;
}

void LayoutFullScore(benchmark::State& state)
{
    CScore& score = *FullScore().Score;
    for (auto _ : state) {
        score.LayoutScore();
        benchmark::DoNotOptimize(score.PageCount);
    }
    if (score.PageCount != static_cast<int32_t>(CScore::MaxPages))
        state.SkipWithError("the generated score does not fill every page");
    state.counters["items"] = static_cast<double>(score.UnitItems.size());
}
BENCHMARK(LayoutFullScore)->Unit(benchmark::kMillisecond);

void DrawAllPagesRecorded(benchmark::State& state)
{
    CScore& score = *FullScore().Score;
    CPageView view;
    std::size_t calls = 0;
    for (auto _ : state) {
        calls = 0;
        for (int32_t page = 1; page <= score.PageCount; ++page) {
            CRecordingSurface surface;
            view.Prepare(score, true);
            view.Paint(surface, score, page);
            calls += surface.Calls().size();
        }
        benchmark::DoNotOptimize(calls);
    }
    state.counters["pages"] = score.PageCount;
    state.counters["calls"] = static_cast<double>(calls);
}
BENCHMARK(DrawAllPagesRecorded)->Unit(benchmark::kMillisecond);

void DrawAllPagesToPdf(benchmark::State& state)
{
    CScore& score = *FullScore().Score;
    CPageView view;
    const std::string path = "/tmp/plekto_bench_129_pages.pdf";
    for (auto _ : state) {
        std::string error;
        const bool ok = WritePdf(
            path, score.Settings.PageWidth, score.Settings.PageHeight, score.PageCount,
            [&](CSurface& surface, int page) {
                view.Prepare(score, true);
                view.Paint(surface, score, page);
            },
            error);
        if (!ok)
            state.SkipWithError(error.c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(DrawAllPagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

void OnePageToPng(benchmark::State& state)
{
    CMemorySettingsStore store;
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; bar < 9; ++bar)
        text += BarOfMusic(bar);
    const auto score = ReadText(store, text);
    CPageView view;
    view.Prepare(*score, false);
    const std::string path = "/tmp/plekto_bench_page.png";
    for (auto _ : state) {
        std::string error;
        if (!WritePng(path, score->Settings.PageWidth, view.DocumentHeight, 150.0, PageDrawer(view, *score, 1), error))
            state.SkipWithError(error.c_str());
    }
    if (score->PageCount != 1)
        state.SkipWithError("the score is meant to fill one page");
    std::remove(path.c_str());
}
BENCHMARK(OnePageToPng)->Unit(benchmark::kMillisecond);

// The whole screen page of a 4,600-bar score (some 180,000 rows at 150 dpi), encoded as
// "plekto render" encodes it.
void WholeScorePng4600(benchmark::State& state)
{
    CMemorySettingsStore store;
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; bar < 4600; ++bar)
        text += BarOfMusic(bar);
    const auto score = ReadText(store, text);
    CPageView view;
    view.Prepare(*score, false);
    QByteArray png;
    for (auto _ : state) {
        std::string error;
        png.clear();
        if (!EncodePng(png, score->Settings.PageWidth, view.DocumentHeight, 150.0, PageDrawer(view, *score, 1), error))
            state.SkipWithError(error.c_str());
    }
    state.counters["rows"] = view.DocumentHeight / 25.4 * 150.0;
    state.counters["bytes"] = static_cast<double>(png.size());
}
// Painting runs on a pool thread, so the time that counts is the wall clock.
BENCHMARK(WholeScorePng4600)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
