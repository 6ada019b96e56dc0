// Page drawing on the score's side: one TAB line at a time, its "TAB" head, and the
// line-end flush of the marks whose end item lies on a later line. Lines are broken
// again here with the layout's rule, so the two must agree item for item.
#include <memory>
#include <string_view>
#include <vector>

#include "display/LineGeometry.h"
#include "display/PageView.h"
#include "model/Score.h"
#include "settings/Units.h"
#include "symbols/Items.h"

namespace
{
struct CPendingBar
{
    bool Pending = false;
    int32_t X = 0;
    int32_t Upper = 0;
    int32_t Lower = 0;
};
}  // namespace

void CScore::DrawTabLine(CSurface& dc, int32_t x, int32_t yLine, std::size_t& cursor)
{
    const std::vector<std::unique_ptr<CScoreItem>>& items = UnitItems;
    if (cursor >= items.size())
        return;
    const ScoreSettings& s = Settings;
    CPendingBar bar;
    if (s.ShowTAB)
        x = DrawTabLetters(dc, x, yLine);

    // The break rule runs on its own x, so every line breaks at the layout's item.
    const LineGeometry::CLineFit fit(s);
    int64_t fitX = fit.Start;

    const int32_t rectBottom = LineGeometry::RectBottom(s, yLine);
    const int32_t barUpper = LineGeometry::BarUpper(s);
    const int32_t barLower = LineGeometry::BarLower(s);

    while (cursor < items.size()) {
        CScoreItem* item = items[cursor].get();
        if (!item)
            break;
        const int32_t w = LineGeometry::ItemWidth(s, item->Units);
        if (!fit.Fits(fitX, w))
            break;
        if (bar.Pending) {
            dc.MoveTo(bar.X, bar.Upper);
            dc.LineTo(bar.X, bar.Lower);
            bar.Pending = false;
        }
        item->Rect = CRect{x, yLine, SatAdd(x, w), rectBottom};
        item->Draw(dc);
        item->DrawItemMarks(dc);
        if (item->BarAfter)
            bar = {true, item->Rect.right, SatSub(item->Rect.top, barUpper), SatSub(item->Rect.top, barLower)};
        x = SatAdd(x, SatSub(item->Rect.right, item->Rect.left));
        fitX += w;
        ++cursor;
    }
    // A bar still pending here had no successor on this line: it is dropped.
    FlushDeferredMarks(dc);
}

int32_t CScore::DrawTabLetters(CSurface& dc, int32_t x, int32_t yLine)
{
    const ScoreSettings& s = Settings;
    const CFont* previous = dc.SelectFont(s.FontTAB.Font.get());
    const double cell = (s.Strings - 1.0) * s.PitchBetweenLine / 3.0;
    const int32_t width = LineGeometry::TabHeadWidth(s);
    const int32_t right = SatAdd(x, width);
    static constexpr std::string_view Letters = "TAB";
    for (int i = 0; i < 3; ++i) {
        // Each letter centred in a third of the staff, across the head's width.
        const int32_t top = SatSub(yLine, ToUnits(LineGeometry::BelowZone(s, i * cell)));
        CRect rect{x, top, right, SatSub(top, ToUnits(cell))};
        dc.DrawText(Letters.substr(static_cast<std::size_t>(i), 1), rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.SelectFont(previous);
    return right;
}

void CScore::FlushDeferredMarks(CSurface& dc)
{
    // Marks still waiting for their end item get their head piece here, but only when
    // both ends are note columns; the others show nothing on this line.
    for (std::size_t i = 0; i < DeferredMarks.size(); ++i) {
        CScoreInterUnit* mark = DeferredMarks[i];
        if (!mark || mark->DrawState != CScoreInterUnit::State::Deferred)
            continue;
        CScoreItem* start = mark->StartItem;
        CScoreItem* end = mark->EndItem;
        if (dynamic_cast<CItemNote*>(start) && dynamic_cast<CItemNote*>(end))
            mark->DrawHead(dc, start->Rect, start, end);
    }
    DeferredMarks.clear();
}
