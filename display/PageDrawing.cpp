// Page drawing on the score's side: one TAB line at a time, its "TAB" head, and the
// line-end flush of the marks whose end item lies on a later line. Lines are broken
// again here with the layout's rule, so the two must agree item for item.
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "display/PageView.h"
#include "model/Score.h"
#include "settings/Units.h"
#include "symbols/Items.h"

namespace
{
// Distance from a slot's top to its top string line, in mm, summed in this order.
double StringZone(const ScoreSettings& s) { return s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin; }

struct CPendingBar
{
    bool Pending = false;
    int32_t X = 0;
    int32_t Upper = 0;
    int32_t Lower = 0;
};

// Takes every call and draws nothing: a line outside the repainted band is walked
// through it. Measuring leaves the rectangle as it was.
class CNullSurface final : public CSurface
{
public:
    void DrawText(std::string_view, CRect&, uint32_t) override {}
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
    void RoundRect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void Arc(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void PaintPolygon(std::span<const CPoint>) override {}
    void StretchBlt(int32_t, int32_t, int32_t, int32_t, const CMemoryDC&, int32_t, int32_t, int32_t,
                    int32_t) override {}
};

// One TAB line for DrawTabLine and WalkTabLine. Without drawItems the items' own Draw is
// left out: it sets nothing that the Rects, the marks' decisions or a later line use
// (a note's stem position is read only by beams drawn on the note's own line).
void TabLine(CScore& score, CSurface& dc, int32_t x, int32_t yLine, std::size_t& cursor, bool drawItems)
{
    const std::vector<std::unique_ptr<CScoreItem>>& items = score.UnitItems;
    if (cursor >= items.size())
        return;
    const ScoreSettings& s = score.Settings;
    CPendingBar bar;
    if (s.ShowTAB)
        x = score.DrawTabLetters(dc, x, yLine);

    // The fit test runs on the layout's own position: its line start truncates head and
    // margin together, the drawn x truncates them apart, and the two may differ by a
    // unit. Testing the layout's figure breaks every line at the layout's item.
    const double tabHeadWidth = s.ShowTAB ? s.UnitsForTAB * s.UnitWidth : 0.0;
    const int64_t lineStart = ToUnits(tabHeadWidth + s.MarginLeft);
    const int64_t lineEnd = ToUnits(s.PageWidth - s.MarginRight);
    int64_t fitX = lineStart;

    const int32_t rectBottom = SatSub(yLine, ToUnits((s.Strings - 1.0) * s.PitchBetweenLine + s.TabLowerMargin +
                                                     s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin));
    const int32_t barUpper = ToUnits(StringZone(s));
    const int32_t barLower = ToUnits((s.Strings - 1.0) * s.PitchBetweenLine + s.TripletZoneHeight +
                                     s.ChordZoneHeight + s.TabUpperMargin);

    while (cursor < items.size()) {
        CScoreItem* item = items[cursor].get();
        if (!item)
            break;
        const int32_t w = ToUnits(item->Units * s.UnitWidth);
        // An item that does not fit begins the next line, unless this line is still
        // empty: then it stays, however wide, as the layout keeps it.
        if (fitX + w > lineEnd && fitX != lineStart)
            break;
        if (bar.Pending) {
            dc.MoveTo(bar.X, bar.Upper);
            dc.LineTo(bar.X, bar.Lower);
            bar.Pending = false;
        }
        item->Rect = CRect{x, yLine, SatAdd(x, w), rectBottom};
        if (drawItems)
            item->Draw(dc);
        item->DrawItemMarks(dc);
        if (item->BarAfter)
            bar = {true, item->Rect.right, SatSub(item->Rect.top, barUpper), SatSub(item->Rect.top, barLower)};
        x = SatAdd(x, SatSub(item->Rect.right, item->Rect.left));
        fitX += w;
        ++cursor;
    }
    // A bar still pending here had no successor on this line: it is dropped.
    score.FlushDeferredMarks(dc);
}
}  // namespace

void CScore::DrawTabLine(CSurface& dc, int32_t x, int32_t yLine, std::size_t& cursor)
{
    TabLine(*this, dc, x, yLine, cursor, true);
}

void WalkTabLine(CScore& score, int32_t x, int32_t yLine, std::size_t& cursor)
{
    CNullSurface nowhere;
    TabLine(score, nowhere, x, yLine, cursor, false);
}

int32_t CScore::DrawTabLetters(CSurface& dc, int32_t x, int32_t yLine)
{
    const ScoreSettings& s = Settings;
    const CFont* previous = dc.SelectFont(s.FontTAB.Font.get());
    const double cell = (s.Strings - 1.0) * s.PitchBetweenLine / 3.0;
    const int32_t width = ToUnits(s.UnitsForTAB * s.UnitWidth);
    const int32_t right = SatAdd(x, width);
    static constexpr std::string_view Letters = "TAB";
    for (int i = 0; i < 3; ++i) {
        // Each letter centred in a third of the staff, across the head's width.
        const int32_t top = SatSub(yLine, ToUnits(i * cell + s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin));
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
