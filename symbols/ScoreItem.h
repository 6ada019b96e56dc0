// Base of the unit items: the columns of a TAB line, each a whole number of drawing
// units wide across the full height of the line.
#pragma once

#include <cstdint>
#include <memory>
#include "display/Surface.h"
#include "symbols/CompactLists.h"
#include "symbols/ItemArena.h"

class CScore;
class CScoreInterUnit;

class CScoreItem
{
public:
    CScoreItem(CScore* score, int32_t units);
    virtual ~CScoreItem() = default;
    PLEKTO_ARENA_ALLOCATED(CScoreItem)

    // A copy of the same class; attachments are not copied and Rect starts empty.
    // Null when memory runs out.
    virtual std::unique_ptr<CScoreItem> Clone() const = 0;
    // Draws the symbol inside Rect.
    virtual void Draw(CSurface& dc) = 0;

    // Appends the mark to Marks (start item, end item or both).
    void AttachMark(CScoreInterUnit* mark);
    // Removes the last attachment of the mark; used when an open mark is discarded.
    void DetachMark(CScoreInterUnit* mark);
    // Queues marks that start here and draws those that end here, in list order.
    void DrawItemMarks(CSurface& dc);

    // Ordered so that the item packs tightly: a score holds a million of them.
    CMarkList Marks;  // not owning: the score's SpanMarks own the marks
    CRect Rect;
    CScore* Score;
    int32_t Units;
    bool BarAfter = false;
    CArenaTag ArenaTag;

protected:
    CScoreItem(const CScoreItem& other);
    CScoreItem& operator=(const CScoreItem&) = delete;
};
