// Base of the span marks: symbols that belong to a stretch of unit items. A mark is
// drawn when its end item is drawn: whole when both ends share a line, otherwise as a
// head piece at the end of the start item's line and a tail piece on the end item's.
#pragma once

#include <cstdint>

#include "display/Surface.h"
#include "symbols/ItemArena.h"

class CScore;
class CScoreItem;

class CScoreInterUnit
{
public:
    explicit CScoreInterUnit(CScore* score) : Score(score) {}
    virtual ~CScoreInterUnit() = default;
    PLEKTO_ARENA_ALLOCATED

    CScoreItem* GetStartItem() const { return StartItem; }
    CScoreItem* GetEndItem() const { return EndItem; }
    void SetStartItem(CScoreItem* item) { StartItem = item; }
    void SetEndItem(CScoreItem* item) { EndItem = item; }

    // Called by the end item with its Rect: the whole mark when the two ends share a
    // line (equal Rect tops), otherwise the tail piece. DrawState becomes 2.
    void DrawAtEnd(CSurface& dc, const CRect& endRect);

    virtual void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;
    // From the start item to the right end of its line (the line-end flush).
    virtual void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;
    // From the left start of the end item's line to the end item.
    virtual void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;

    CScoreItem* StartItem = nullptr;
    CScoreItem* EndItem = nullptr;
    int32_t DrawState = 0;  // 1: waiting in DeferredMarks; 2: drawn at its end item
    CScore* Score;

protected:
    CScoreInterUnit(const CScoreInterUnit&) = default;
    CScoreInterUnit& operator=(const CScoreInterUnit&) = delete;

    // Right end of every line, and left start of every line after the "TAB" head.
    int32_t LineRightX() const;
    int32_t LineLeftX() const;
    static int32_t Centre(const CScoreItem& item);
};
