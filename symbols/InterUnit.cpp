#include "symbols/InterUnit.h"

#include "display/LineGeometry.h"
#include "model/Score.h"
#include "settings/Units.h"
#include "symbols/ScoreItem.h"

void CScoreInterUnit::DrawAtEnd(CSurface& dc, const CRect& endRect)
{
    if (StartItem && EndItem && StartItem->Rect.top == EndItem->Rect.top)
        DrawWithinLine(dc, endRect, StartItem, EndItem);
    else
        DrawTail(dc, endRect, StartItem, EndItem);
    DrawState = State::Drawn;
}

int32_t CScoreInterUnit::LineRightX() const { return LineGeometry::LineRightX(Score->Settings); }

int32_t CScoreInterUnit::LineLeftX() const { return LineGeometry::LineLeftX(Score->Settings); }

int32_t CScoreInterUnit::Centre(const CScoreItem& item)
{
    const int64_t left = item.Rect.left;
    return SatFrom64(left + (int64_t{item.Rect.right} - left) / 2);
}
