// What a live reload of a score that fills all 129 pages costs once the watcher has
// fired: the file's fingerprint, the document's open (read and layout, diagnostics
// collected), the prepare step and the paint of one window-sized viewport at the kept
// scroll position. The watcher's settling time (CFileWatcher::SettleMs) comes on top.
// Run with --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "ScoreText.h"
#include "app/FileWatcher.h"
#include "app/PlektoDoc.h"
#include "display/PageView.h"
#include "app/PlektoView.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"

namespace
{
constexpr double ScreenDpi = 96.0;
const QSize Window(1000, 800);

void ReloadLongScore(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.tab"));
    std::ofstream(path.toStdString(), std::ios::binary) << ScoreOfSize(600 * 1024);
    CMemorySettingsStore store;
    CPlektoDoc doc(store);
    CPageView view;
    QImage window(Window, QImage::Format_RGB32);
    int pages = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CFileWatcher::Fingerprint(path));
        doc.OnOpenDocument(path);
        view.Prepare(*doc.Score, false);
        // Half-way down, where the reader was before the save.
        const QPoint scroll(0, static_cast<int>(view.DocumentHeight / 25.4 * ScreenDpi / 2));
        QPainter painter(&window);
        CPlektoView::PaintViewport(painter, view, *doc.Score, scroll, window.rect(), ScreenDpi);
        pages = doc.Score->PageCount;
    }
    if (pages != static_cast<int>(CScore::MaxPages))
        state.SkipWithError("the generated score does not fill every page");
    state.counters["pages"] = pages;
}
BENCHMARK(ReloadLongScore)->Unit(benchmark::kMillisecond);
}  // namespace
