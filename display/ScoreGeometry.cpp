#include "display/ScoreGeometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>

#include "display/LineGeometry.h"
#include "display/PageView.h"
#include "model/Score.h"
#include "settings/Units.h"

CPageSlots::CPageSlots(const CScore& score, int32_t pageNumber, bool printing, double documentHeight)
    : LineHeight(score.Settings.LineHeight()),
      MarginTop(score.Settings.MarginTop),
      FrameBottom(TruncSat((documentHeight - score.Settings.MarginBottom) * -100.0)),
      // The slots the layout filled with lines on this page (the title counts as one).
      LayoutSlots(printing ? score.LinesPerPage() : score.LineCount),
      ItemCount(score.UnitItems.size()),
      Start(CScore::NoItem),
      End(CScore::NoItem),
      Title(score.TitleBlock && pageNumber == 1),
      // A line needs at least one logical unit of height, as the layout's LinesPerPage
      // requires; otherwise every slot would lie on the one before and the slots never
      // reach the bottom margin. Each page then gets a single slot, as the layout gives
      // each line a page of its own.
      UsableHeight(std::isfinite(LineHeight) && LineHeight * 100.0 >= 1.0)
{
    constexpr int32_t maxPages = static_cast<int32_t>(CScore::MaxPages);
    const bool inTable = pageNumber >= 1 && pageNumber <= maxPages;
    if (inTable)
        Start = score.PageStarts[static_cast<std::size_t>(pageNumber - 1)];
    // A printed page ends where the layout begins the next one; the screen's page 1
    // runs on through the whole score.
    if (printing && inTable && pageNumber < score.PageCount && pageNumber < maxPages)
        End = score.PageStarts[static_cast<std::size_t>(pageNumber)];
}

bool CPageSlots::LineAt(std::size_t cursor) const { return cursor != End && cursor < ItemCount; }

int32_t CPageSlots::Top(int64_t slot) const
{
    return TruncSat((static_cast<double>(slot) * LineHeight + MarginTop) * -100.0);
}

bool CPageSlots::Continues(int64_t slot, std::size_t before, std::size_t cursor)
{
    if (cursor == before)
        ++BlankSlots;
    if (!UsableHeight || BlankSlots >= MaxBlankSlots)
        return false;
    // The next slot must end at or above the bottom margin. A line the layout put on
    // this page is drawn even when rounding in the last digit says otherwise.
    const bool fits = Top(slot + 2) >= FrameBottom;
    const bool itemsLeft = cursor < ItemCount && cursor != End;
    if (!fits && !(itemsLeft && slot + 1 < LayoutSlots))
        return false;
    // A blank slot that would not move down the page (a NaN or saturated margin) would
    // only draw the same string lines again.
    return itemsLeft || Top(slot + 1) != Top(slot);
}

void CScoreGeometry::Clear() { *this = CScoreGeometry{}; }

bool CScoreGeometry::BuiltFor(const CScore& score) const
{
    const ScoreSettings& s = score.Settings;
    const LineGeometry::CLineFit fit(s);
    return ItemCount == score.UnitItems.size() && FitStart == fit.Start && FitEnd == fit.End &&
           LineLeft == LineGeometry::LineLeftX(s) &&
           std::bit_cast<uint64_t>(UnitWidth) == std::bit_cast<uint64_t>(s.UnitWidth) &&
           RectDepth == LineGeometry::RectDepth(s) &&
           std::bit_cast<uint64_t>(LineHeight) == std::bit_cast<uint64_t>(s.LineHeight()) &&
           std::bit_cast<uint64_t>(MarginTop) == std::bit_cast<uint64_t>(s.MarginTop);
}

void CScoreGeometry::Build(const CScore& score)
{
    Clear();
    const ScoreSettings& s = score.Settings;
    const auto& items = score.UnitItems;
    const LineGeometry::CLineFit fit(s);
    ItemCount = items.size();
    FitStart = fit.Start;
    FitEnd = fit.End;
    LineLeft = LineGeometry::LineLeftX(s);
    UnitWidth = s.UnitWidth;
    RectDepth = LineGeometry::RectDepth(s);
    LineHeight = s.LineHeight();
    MarginTop = s.MarginTop;

    // Every line of the score, as the page drawing breaks them; a missing item ends
    // the lines, as it ends the drawing.
    Left.assign(items.size(), 0);
    Right.assign(items.size(), 0);
    std::size_t i = 0;
    while (i < items.size() && items[i]) {
        LineFirst.push_back(i);
        int64_t fitX = fit.Start;
        int32_t x = LineLeft;
        while (i < items.size() && items[i]) {
            const int32_t w = LineGeometry::ItemWidth(s, items[i]->Units);
            if (!fit.Fits(fitX, w))
                break;
            Left[i] = x;
            Right[i] = SatAdd(x, w);
            x = SatAdd(x, SatSub(Right[i], Left[i]));
            fitX += w;
            ++i;
        }
    }
    LineFirst.push_back(i);

    // The screen, then every printed page, slot by slot as the page drawing goes.
    const int32_t pages = std::min(score.PageCount, static_cast<int32_t>(CScore::MaxPages));
    for (int32_t page = 0; page <= std::max(pages, 0); ++page) {
        const bool printing = page != 0;
        CPageSlots slots(score, printing ? page : 1, printing,
                         printing ? s.PageHeight : CPageView::ScreenDocumentHeight(score));
        CSheet sheet;
        sheet.Title = slots.IsTitle(0);
        std::size_t cursor = slots.PageStart();
        sheet.FirstLine = LineOf(cursor);
        for (int64_t r = 0;; ++r) {
            const std::size_t before = cursor;
            if (!slots.IsTitle(r) && slots.LineAt(cursor)) {
                cursor = LineEnd(cursor);
                if (cursor != before)
                    ++sheet.Lines;
            }
            if (!slots.Continues(r, before, cursor))
                break;
        }
        if (sheet.FirstLine == NoLine)
            sheet.Lines = 0;
        Sheets.push_back(sheet);
    }

}

std::size_t CScoreGeometry::LineOf(std::size_t item) const
{
    if (LineFirst.empty() || item >= LineFirst.back())
        return NoLine;
    const auto it = std::upper_bound(LineFirst.begin(), LineFirst.end(), item);
    return static_cast<std::size_t>(it - LineFirst.begin()) - 1;
}

std::size_t CScoreGeometry::LineEnd(std::size_t item) const
{
    const std::size_t line = LineOf(item);
    return line == NoLine ? item : LineFirst[line + 1];
}

CRect CScoreGeometry::ItemRect(std::size_t item, int32_t top) const
{
    return CRect{Left[item], top, Right[item], SatSub(top, RectDepth)};
}

std::size_t CScoreGeometry::MarkStart(const CScore& score, const CScoreInterUnit* mark) const
{
    if (!MarkStartsBuilt) {
        const auto& items = score.UnitItems;
        for (std::size_t k = 0; k < items.size(); ++k)
            if (items[k])
                for (const CScoreInterUnit* m : items[k]->Marks)
                    if (m && m->StartItem == items[k].get())
                        MarkStarts.emplace_back(m, k);
        // A mark has one start item, so the order of equal keys cannot matter.
        std::sort(MarkStarts.begin(), MarkStarts.end(), [](const auto& a, const auto& b) {
            return std::less<const CScoreInterUnit*>()(a.first, b.first);
        });
        MarkStartsBuilt = true;
    }
    const auto it = std::lower_bound(MarkStarts.begin(), MarkStarts.end(), mark, [](const auto& entry, const auto* m) {
        return std::less<const CScoreInterUnit*>()(entry.first, m);
    });
    return it != MarkStarts.end() && it->first == mark ? it->second : NoLine;
}

const CScoreGeometry::CSheet* CScoreGeometry::Sheet(int32_t page) const
{
    if (page < 0 || static_cast<std::size_t>(page) >= Sheets.size())
        return nullptr;
    return &Sheets[static_cast<std::size_t>(page)];
}

int32_t CScoreGeometry::SlotTop(int64_t slot) const
{
    return TruncSat((static_cast<double>(slot) * LineHeight + MarginTop) * -100.0);
}

std::optional<CItemPlace> CScoreGeometry::Place(std::size_t item, int32_t page) const
{
    const CSheet* sheet = Sheet(page);
    const std::size_t line = LineOf(item);
    if (!sheet || line == NoLine || line < sheet->FirstLine || line - sheet->FirstLine >= sheet->Lines)
        return std::nullopt;
    const int64_t slot = static_cast<int64_t>(line - sheet->FirstLine) + (sheet->Title ? 1 : 0);
    return CItemPlace{page, slot, line, ItemRect(item, SlotTop(slot))};
}

int32_t CScoreGeometry::PrintedPage(std::size_t item) const
{
    const std::size_t line = LineOf(item);
    if (line == NoLine || Sheets.size() < 2)
        return 0;
    // Printed pages hold consecutive runs of lines in page order.
    const auto first = Sheets.begin() + 1;
    const auto it = std::upper_bound(first, Sheets.end(), line,
                                     [](std::size_t l, const CSheet& sheet) { return l < sheet.FirstLine; });
    if (it == first)
        return 0;
    const CSheet& sheet = *(it - 1);
    if (line - sheet.FirstLine >= sheet.Lines)
        return 0;
    return static_cast<int32_t>(it - Sheets.begin()) - 1;
}

std::optional<std::size_t> CScoreGeometry::ItemAt(int32_t page, int32_t x, int32_t y) const
{
    const CSheet* sheet = Sheet(page);
    if (!sheet || sheet->Lines == 0)
        return std::nullopt;
    // Slot tops fall down the page: the last line slot whose top is at or above y.
    const int64_t first = sheet->Title ? 1 : 0;
    int64_t lo = first, hi = first + static_cast<int64_t>(sheet->Lines);
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (SlotTop(mid) >= y)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == first)
        return std::nullopt;
    const int64_t slot = lo - 1;
    const int32_t top = SlotTop(slot);
    if (!(SatSub(top, RectDepth) < y && y <= top))
        return std::nullopt;
    const std::size_t line = sheet->FirstLine + static_cast<std::size_t>(slot - first);
    // Lefts rise along a line (item widths are not negative): the last item starting
    // at or before x.
    const auto begin = Left.begin() + static_cast<std::ptrdiff_t>(LineFirst[line]);
    const auto end = Left.begin() + static_cast<std::ptrdiff_t>(LineFirst[line + 1]);
    const auto it = std::upper_bound(begin, end, x);
    if (it == begin)
        return std::nullopt;
    const std::size_t item = static_cast<std::size_t>(it - Left.begin()) - 1;
    if (x >= Right[item])
        return std::nullopt;
    return item;
}
