// Drawing of the title block into the first line slot of page 1.
#include "model/TitleBlock.h"

#include "model/Score.h"
#include "settings/Units.h"

namespace
{
// Draws the five places of one corner group. Place k always stands k - 1 line steps
// from its edge, so an empty place leaves its line blank.
void DrawGroup(CSurface& dc, const CTitleBlock::LinePlaces& places, const CRect& rect, int32_t step, bool right,
               bool bottom)
{
    CRect w = rect;
    const uint32_t flags = DT_SINGLELINE | (right ? DT_RIGHT : DT_LEFT) | (bottom ? DT_BOTTOM : DT_TOP);
    for (const auto& place : places) {
        if (place) {
            CRect r = w;
            dc.DrawText(*place, r, flags);
        }
        // The step is negative in y-up coordinates: a top group moves down, a bottom group up.
        if (bottom)
            w.bottom = SatSub(w.bottom, step);
        else
            w.top = SatAdd(w.top, step);
    }
}
}  // namespace

void CTitleBlock::DrawTitleBlock(CSurface& dc, const CRect& rect) const
{
    const ScoreSettings& s = Score->Settings;
    const CFont* previous = dc.SelectFont(s.FontMainTitle.Font.get());
    CRect main = rect;
    dc.DrawText(MainTitle, main, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    dc.SelectFont(s.FontSubTitle.Font.get());
    CRect measured = rect;
    dc.DrawText("Aq", measured, DT_CALCRECT);
    const int32_t step = SatSub(measured.bottom, measured.top);

    DrawGroup(dc, LeftTopLines, rect, step, false, false);
    DrawGroup(dc, LeftBottomLines, rect, step, false, true);
    DrawGroup(dc, RightTopLines, rect, step, true, false);
    DrawGroup(dc, RightBottomLines, rect, step, true, true);
    dc.SelectFont(previous);
}
