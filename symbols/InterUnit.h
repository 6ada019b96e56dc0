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
    // Where a mark stands in the drawing of a page; the numbers are fixed.
    enum class State : int8_t
    {
        Idle = 0,      // not reached yet by this drawing
        Deferred = 1,  // waiting in the score's DeferredMarks for its end item
        Drawn = 2,     // drawn at its end item
    };

    explicit CScoreInterUnit(CScore* score) : Score(score) {}
    virtual ~CScoreInterUnit() = default;
    PLEKTO_ARENA_ALLOCATED(CScoreInterUnit)

    // Called by the end item with its Rect: the whole mark when the two ends share a
    // line (equal Rect tops), otherwise the tail piece. DrawState becomes Drawn.
    void DrawAtEnd(CSurface& dc, const CRect& endRect);

    virtual void DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;
    // From the start item to the right end of its line (the line-end flush).
    virtual void DrawHead(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;
    // From the left start of the end item's line to the end item.
    virtual void DrawTail(CSurface& dc, const CRect& rect, CScoreItem* start, CScoreItem* end) = 0;

    // Ordered so that the byte-sized members of the marks fill the space after the last
    // of these: a score holds hundreds of thousands of marks.
    CScoreItem* StartItem = nullptr;
    CScoreItem* EndItem = nullptr;
    CScore* Score;
    State DrawState = State::Idle;
    CArenaTag ArenaTag;

protected:
    CScoreInterUnit(const CScoreInterUnit&) = default;
    CScoreInterUnit& operator=(const CScoreInterUnit&) = delete;

    // Right end of every line, and left start of every line after the "TAB" head.
    int32_t LineRightX() const;
    int32_t LineLeftX() const;
    static int32_t Centre(const CScoreItem& item);
};
