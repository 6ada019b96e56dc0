#include "display/PageView.h"

#include <cmath>
#include <memory>

#include "display/Font.h"
#include "display/LineGeometry.h"
#include "model/Score.h"
#include "settings/ScoreSettings.h"
#include "settings/Units.h"

namespace
{
// Longest face name a platform font takes (32 bytes with the terminating zero).
constexpr std::size_t MaxFaceNameBytes = 31;
}  // namespace

double CPageView::ScreenDocumentHeight(const CScore& score)
{
    const ScoreSettings& s = score.Settings;
    const double needed = score.LineCount * s.LineHeight() + s.MarginBottom + s.MarginTop;
    if (std::isnan(needed) || s.PageHeight >= needed)
        return s.PageHeight;
    return needed;
}

CFont CPageView::MakeFont(const FontEntry& entry)
{
    CFont font;
    font.Name = entry.Name.substr(0, MaxFaceNameBytes);
    font.Size = entry.Size;
    font.Height = SatFrom64(PointTenthsToUnits(entry.Size));
    return font;
}

void CPageView::CreateFonts(ScoreSettings& settings)
{
    for (FontEntry* entry : {&settings.FontFret, &settings.FontTAB, &settings.FontMainTitle, &settings.FontSubTitle})
        if (!entry->Font)
            entry->Font = std::make_unique<CFont>(MakeFont(*entry));
}

void CPageView::Prepare(CScore& score, bool printing)
{
    Printing = printing;
    DocumentHeight = printing ? score.Settings.PageHeight : ScreenDocumentHeight(score);
    CreateFonts(score.Settings);
    if (!score.MemoryDC)
        score.MemoryDC = std::make_unique<CMemoryDC>();
}

void CPageView::Paint(CSurface& dc, CScore& score, int32_t pageNumber, std::optional<CBand> visible) const
{
    const CBrush previousBrush = dc.SelectBrush(CBrush::Black);
    const TextEncoding previousEncoding = dc.GetTextEncoding();
    dc.SetTextEncoding(score.Encoding);
    DrawPage(dc, score, pageNumber, visible);
    dc.SetTextEncoding(previousEncoding);
    dc.SelectBrush(previousBrush);
}

void CPageView::DrawStaffLines(CSurface& dc, const CScore& score, int32_t yLine) const
{
    const ScoreSettings& s = score.Settings;
    const int32_t left = LineGeometry::FrameLeftX(s);
    const int32_t right = LineGeometry::LineRightX(s);
    const int32_t top = LineGeometry::StaffTopY(s, yLine);
    const int64_t pitch = ToUnits(s.PitchBetweenLine);
    // Files and the store hold at most MaxStrings strings; a record set beyond that
    // in code draws no more lines than that either.
    const int32_t strings = s.Strings < MaxStrings ? s.Strings : MaxStrings;
    for (int32_t i = 0; i < strings; ++i) {
        const int32_t y = SatFrom64(top - i * pitch);
        dc.MoveTo(left, y);
        dc.LineTo(right, y);
    }
}

void CPageView::DrawPage(CSurface& dc, CScore& score, int32_t pageNumber, std::optional<CBand> visible) const
{
    const ScoreSettings& s = score.Settings;
    CPageSlots slots(score, pageNumber, Printing, DocumentHeight);

    const int32_t frameLeft = LineGeometry::FrameLeftX(s);
    const int32_t frameTop = TruncSat(s.MarginTop * -100.0);
    const int32_t frameRight = LineGeometry::LineRightX(s);
    const int32_t frameBottom = TruncSat((DocumentHeight - s.MarginBottom) * -100.0);
    const CBrush previous = dc.SelectBrush(CBrush::Hollow);
    dc.Rectangle(frameLeft, frameTop, frameRight, frameBottom);
    dc.SelectBrush(previous);

    // Slots outside the band are passed over with the geometry's line table.
    const bool culling = visible && slots.Usable();
    if (culling && !score.Geometry.BuiltFor(score))
        score.Geometry.Build(score);
    const std::size_t pageStart = slots.PageStart();
    std::size_t cursor = pageStart;
    bool skipped = false;
    for (int64_t r = 0;; ++r) {
        const int32_t yLine = slots.Top(r);
        const std::size_t before = cursor;
        const bool outside = culling && (slots.Top(r + 1) > visible->Top || yLine < visible->Bottom);
        if (outside) {
            if (!slots.IsTitle(r) && slots.LineAt(cursor)) {
                cursor = score.Geometry.LineEnd(cursor);
                skipped = true;
            }
        } else if (slots.IsTitle(r)) {
            const CRect rect{frameLeft, frameTop, frameRight, TruncSat((s.LineHeight() + s.MarginTop) * -100.0)};
            score.TitleBlock->DrawTitleBlock(dc, rect);
        } else {
            DrawStaffLines(dc, score, yLine);
            if (slots.LineAt(cursor)) {
                if (skipped)
                    PlaceSpanStarts(score, slots, pageStart, cursor, r);
                score.DrawTabLine(dc, frameLeft, yLine, cursor);
            }
        }
        if (!slots.Continues(r, before, cursor))
            break;
    }
}

void CPageView::PlaceSpanStarts(CScore& score, const CPageSlots& slots, std::size_t pageStart, std::size_t cursor,
                                int64_t slot)
{
    // A mark ending on this line decides between its whole drawing and its tail by the
    // start item's Rect; a start item on a line passed over gets the Rect the full
    // paint gives it. Lines of a page lie in consecutive slots.
    const CScoreGeometry& geometry = score.Geometry;
    const std::size_t line = geometry.LineOf(cursor);
    for (std::size_t i = cursor; i < geometry.LineEnd(cursor); ++i) {
        CScoreItem* item = score.UnitItems[i].get();
        for (CScoreInterUnit* mark : item->Marks) {
            if (!mark || mark->EndItem != item || !mark->StartItem)
                continue;
            const std::size_t start = geometry.MarkStart(score, mark);
            if (start == CScoreGeometry::NoLine || start < pageStart || start >= cursor)
                continue;
            const int64_t startSlot = slot - static_cast<int64_t>(line - geometry.LineOf(start));
            mark->StartItem->Rect = geometry.ItemRect(start, slots.Top(startSlot));
        }
    }
}
