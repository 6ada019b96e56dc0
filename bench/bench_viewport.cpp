// The screen paint of a score that fills all 129 pages: one window-sized viewport in
// the middle of the score at 100 % and at 400 %, a strip exposed by a scroll step, and
// for comparison the same viewport painted without leaving out the slots outside it. Run with
// --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <sstream>
#include <string>

#include "ScoreText.h"
#include "display/PageView.h"
#include "display/qt/PainterSurface.h"
#include "app/PlektoView.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "perform/Performance.h"
#include "perform/PlaybackCursor.h"
#include "settings/SettingsStore.h"

namespace
{
constexpr double ScreenDpi = 96.0;
const QSize Window(1000, 800);

struct CLongScore
{
    CMemorySettingsStore Store;
    std::unique_ptr<CScore> Score;
    CPageView View;
    QPoint Middle;  // scroll position half-way down the score

    CLongScore() : Score(std::make_unique<CScore>(Store))
    {
        std::istringstream in(ScoreOfSize(600 * 1024));
        CScoreReader(*Score).Read(in);
        Score->LayoutScore();
        View.Prepare(*Score, false);
        Middle = QPoint(0, static_cast<int>(View.DocumentHeight / 25.4 * ScreenDpi / 2));
    }
};

CLongScore& LongScore()
{
    static CLongScore score;
    return score;
}

void PaintBanded(benchmark::State& state, const QRect& exposed, double zoom = 1.0)
{
    CLongScore& s = LongScore();
    if (s.Score->PageCount != static_cast<int32_t>(CScore::MaxPages)) {
        state.SkipWithError("the generated score does not fill every page");
        return;
    }
    QImage window(Window, QImage::Format_RGB32);
    // The same page point in the window's top-left corner, wherever the zoom puts it.
    const QPoint scroll = s.Middle * zoom;
    for (auto _ : state) {
        QPainter painter(&window);
        CPlektoView::PaintViewport(painter, s.View, *s.Score, scroll, exposed, ScreenDpi * zoom);
    }
    state.counters["pages"] = s.Score->PageCount;
}

void ViewportPaint(benchmark::State& state) { PaintBanded(state, QRect(QPoint(0, 0), Window)); }
BENCHMARK(ViewportPaint)->Unit(benchmark::kMillisecond);

// Zoomed in, the window shows fewer columns, each four times as large: it must stay
// within the 100 % paint's budget.
void ViewportPaintZoom400(benchmark::State& state) { PaintBanded(state, QRect(QPoint(0, 0), Window), 4.0); }
BENCHMARK(ViewportPaintZoom400)->Unit(benchmark::kMillisecond);

// A scroll step of 40 pixels exposes a strip at the bottom of the window.
void ScrollStripPaint(benchmark::State& state)
{
    PaintBanded(state, QRect(0, Window.height() - 40, Window.width(), 40));
}
BENCHMARK(ScrollStripPaint)->Unit(benchmark::kMillisecond);

// The viewport drawn as the whole page would be: every slot drawn, the clip discarding
// what lies outside.
void ViewportPaintWholePage(benchmark::State& state)
{
    CLongScore& s = LongScore();
    QImage window(Window, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&window);
        painter.fillRect(window.rect(), Qt::white);
        painter.translate(-s.Middle.x(), -s.Middle.y());
        CPainterSurface surface(painter, {ScreenDpi / 2540.0, CPainterSurface::Target::Raster, false});
        s.View.Paint(surface, *s.Score, 1);
    }
}
BENCHMARK(ViewportPaintWholePage)->Unit(benchmark::kMillisecond);
// One frame of the playback cursor half-way through the drawing: the strip it leaves and
// the strip it enters a sixtieth of a second later. Qt delivers both updates in one paint
// event, which the view paints as one rectangle (the two strips side by side).
void CursorFramePaint(benchmark::State& state)
{
    CLongScore& s = LongScore();
    const CPerformance performance = PerformScore(*s.Score);
    const CPlaybackCursor cursor(performance, s.Score->Geometry);
    const std::optional<std::size_t> played = cursor.StartFor(s.Score->FirstItemNotShown / 2);
    const double middle = played ? cursor.StartSeconds(*played) + 0.01 : 0.0;
    std::optional<CCursorPosition> from = cursor.At(middle), to = cursor.At(middle + 1.0 / 60);
    if (!from || !to || from->BeyondDrawing) {
        state.SkipWithError("no cursor half-way through the drawing");
        return;
    }
    const QRect content = CPlektoView::CursorStrip(*from, {0, 0}, ScreenDpi);
    const QPoint scroll(0, content.top() - 100);
    const QRect strips[] = {CPlektoView::CursorStrip(*from, scroll, ScreenDpi),
                            CPlektoView::CursorStrip(*to, scroll, ScreenDpi)};
    QImage window(Window, QImage::Format_RGB32);
    const QRect exposed = strips[0].united(strips[1]);
    for (auto _ : state) {
        QPainter painter(&window);
        CPlektoView::PaintViewport(painter, s.View, *s.Score, scroll, exposed, ScreenDpi);
        painter.fillRect(strips[1], Qt::blue);
    }
    state.counters["exposed_px"] = exposed.width() * exposed.height();
}
BENCHMARK(CursorFramePaint)->Unit(benchmark::kMillisecond);
}  // namespace
