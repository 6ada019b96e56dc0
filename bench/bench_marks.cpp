// Drawing every page of a 129-page score full of beams, ties and triplets onto the
// recording surface, against the same score with its mark tokens taken out. The mark
// protocol must stay linear in items plus marks: the two should differ by a small factor.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
// Enough bars of 12 columns for 129 pages of 6 lines of 26 columns, and a few more.
constexpr int Bars = 1700;

std::string MarkedScore()
{
    std::string text = "tmBenchmark/tslt1Generated\n-4,4/\n";
    for (int bar = 0; bar < Bars; ++bar)
        text += BarOfMusic(bar);
    return text;
}

bool IsMarkToken(const std::string& token)
{
    for (const char* prefix : {"fs", "fe", "_s", "_e", "3s", "3e", "vbs", "vbe", "[s", "[e", "ch"})
        if (token.rfind(prefix, 0) == 0)
            return true;
    return false;
}

std::string WithoutMarks(const std::string& text)
{
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream tokens(line);
        for (std::string token; std::getline(tokens, token, '/');)
            if (!IsMarkToken(token))
                out += token + "/";
        out += "\n";
    }
    return out;
}

void DrawEveryPage(benchmark::State& state, const std::string& text)
{
    CMemorySettingsStore store;
    CScore score(store);
    std::istringstream in(text);
    CScoreReader(score).Read(in);
    score.LayoutScore();
    CPageView view;
    view.Prepare(score, true);
    CRecordingSurface dc;
    std::size_t calls = 0;
    for (auto _ : state) {
        for (int32_t page = 1; page <= score.PageCount; ++page) {
            dc.Clear();
            view.Paint(dc, score, page);
            calls += dc.Calls().size();
        }
    }
    benchmark::DoNotOptimize(calls);
    state.counters["pages"] = score.PageCount;
    state.counters["marks"] = static_cast<double>(score.SpanMarks.size());
}

void DrawPagesWithMarks(benchmark::State& state) { DrawEveryPage(state, MarkedScore()); }
BENCHMARK(DrawPagesWithMarks)->Unit(benchmark::kMillisecond);

void DrawPagesWithoutMarks(benchmark::State& state) { DrawEveryPage(state, WithoutMarks(MarkedScore())); }
BENCHMARK(DrawPagesWithoutMarks)->Unit(benchmark::kMillisecond);
}  // namespace
