// Where every unit item lies, known before painting. LayoutScore builds it; hit tests,
// cursors and the culled paint read it instead of painting to learn positions.
//
// Lines are the same on the screen and on paper (the break rule reads only x), so the
// geometry holds one entry per line (its first item) and two x per item, and per page
// four numbers: whether slot 0 is the title block, the first line, the number of lines
// and of slots. Page 0 is the screen (one tall page that runs through the whole score);
// pages 1..PageCount are the printed pages, each stopping where the next one starts.
// An item's Rect on a page is {Left, slot top, Right, slot top - RectDepth}, exactly as
// a full paint of that page sets it.
//
//   Place(k, page)     where item k is drawn on that page (none when it is not), O(log n)
//   PrintedPage(k)     the printed page that draws item k (0 when none), O(log pages)
//   ItemAt(page, x, y) the item whose Rect holds the point, O(log n): left <= x < right,
//                      bottom < y <= top (y grows upward)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "display/Surface.h"

class CScore;
class CScoreInterUnit;

// The slots of one page as the page drawing goes down it: slot r's top, which slot
// holds the title block, and when the page ends. The page drawing and the geometry run
// the same rule through this class, so they agree slot for slot.
class CPageSlots
{
public:
    CPageSlots(const CScore& score, int32_t pageNumber, bool printing, double documentHeight);

    // The first item of the page (NoItem when the page has none) and the item at which
    // it stops (NoItem: the score's end).
    std::size_t PageStart() const { return Start; }
    std::size_t PageEnd() const { return End; }
    // Whether the slot is the title block's (slot 0 of page 1 when there is a title).
    bool IsTitle(int64_t slot) const { return Title && slot == 0; }
    // Whether a TAB line starts at cursor in a slot that is not the title's.
    bool LineAt(std::size_t cursor) const;
    // Top of slot r: trunc((r x line height + top margin) x -100).
    int32_t Top(int64_t slot) const;
    // A line has a usable height: slots lie one below the other.
    bool Usable() const { return UsableHeight; }
    // Called after slot r was drawn with the cursor moved from `before` to `cursor`:
    // whether slot r + 1 follows.
    bool Continues(int64_t slot, std::size_t before, std::size_t cursor);

    // The page drawing caps blank slots (see CPageView::MaxBlankSlots).
    static constexpr int32_t MaxBlankSlots = 512;

private:
    double LineHeight;
    double MarginTop;
    int32_t FrameBottom;
    int64_t LayoutSlots;
    std::size_t ItemCount;
    std::size_t Start;
    std::size_t End;
    int32_t BlankSlots = 0;
    bool Title;
    bool UsableHeight;
};

struct CItemPlace
{
    int32_t Page = 0;      // 0 the screen, else the printed page
    int64_t Slot = 0;      // counted from the page's top slot (the title block's on page 1)
    std::size_t Line = 0;  // counted through the whole score
    CRect Rect;
};

class CScoreGeometry
{
public:
    static constexpr std::size_t NoLine = static_cast<std::size_t>(-1);

    // Lines, x and the slots of the screen and of every printed page, from the score's
    // settings, items and layout (PageStarts, LineCount).
    void Build(const CScore& score);
    void Clear();
    // Whether Build ran on this score's items and line-breaking settings.
    bool BuiltFor(const CScore& score) const;

    std::optional<CItemPlace> Place(std::size_t item, int32_t page) const;
    int32_t PrintedPage(std::size_t item) const;
    std::optional<std::size_t> ItemAt(int32_t page, int32_t x, int32_t y) const;

    // The line that holds the item (NoLine after a missing item or the score's end).
    std::size_t LineOf(std::size_t item) const;
    // The first item after the line that holds `item` (item itself when none does).
    std::size_t LineEnd(std::size_t item) const;
    // The item's Rect in a slot whose top is `top`.
    CRect ItemRect(std::size_t item, int32_t top) const;
    // The index of the mark's start item (NoLine when the mark starts on no item). The
    // index behind it is made by the first call: painting needs it, a check does not.
    // Not for two threads at once.
    std::size_t MarkStart(const CScore& score, const CScoreInterUnit* mark) const;

private:
    struct CSheet
    {
        bool Title = false;
        std::size_t FirstLine = 0;
        std::size_t Lines = 0;
    };
    const CSheet* Sheet(int32_t page) const;
    int32_t SlotTop(int64_t slot) const;

    std::vector<std::size_t> LineFirst;  // first item of each line, then one past the last line
    std::vector<int32_t> Left;           // per item; meaningful for items on a line
    std::vector<int32_t> Right;
    std::vector<CSheet> Sheets;          // [0] the screen, [p] printed page p
    mutable std::vector<std::pair<const CScoreInterUnit*, std::size_t>> MarkStarts;  // sorted by mark
    mutable bool MarkStartsBuilt = false;
    double LineHeight = 0.0;
    double MarginTop = 0.0;
    int32_t RectDepth = 0;
    // What the lines were built from.
    std::size_t ItemCount = 0;
    int64_t FitStart = 0;
    int64_t FitEnd = 0;
    int32_t LineLeft = 0;
    double UnitWidth = 0.0;
};
