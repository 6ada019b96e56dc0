#include "display/PageView.h"

#include <cmath>
#include <memory>

#include "display/Font.h"
#include "model/Score.h"
#include "settings/ScoreSettings.h"
#include "settings/Units.h"

namespace
{
// Longest face name a platform font takes (32 bytes with the terminating zero).
constexpr std::size_t MaxFaceNameBytes = 31;

// A line needs at least one logical unit of height, as the layout's LinesPerPage
// requires; otherwise every slot would lie on the one before and the slots never
// reach the bottom margin. Each page then gets a single slot, as the layout gives
// each line a page of its own.
bool LineHeightUsable(double lineHeight) { return std::isfinite(lineHeight) && lineHeight * 100.0 >= 1.0; }
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
    font.Height = SatFrom64(int64_t{entry.Size} * 2540 / 720);
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
    const int32_t left = ToUnits(s.MarginLeft);
    const int32_t right = ToUnits(s.PageWidth - s.MarginRight);
    const int32_t top = SatAdd(yLine, TruncSat((s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin) * -100.0));
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
    constexpr int32_t maxPages = static_cast<int32_t>(CScore::MaxPages);
    const bool inTable = pageNumber >= 1 && pageNumber <= maxPages;
    std::size_t cursor = inTable ? score.PageStarts[static_cast<std::size_t>(pageNumber - 1)] : CScore::NoItem;
    // A printed page ends where the layout begins the next one; the screen's page 1
    // runs on through the whole score.
    std::size_t pageEnd = CScore::NoItem;
    if (Printing && inTable && pageNumber < score.PageCount && pageNumber < maxPages)
        pageEnd = score.PageStarts[static_cast<std::size_t>(pageNumber)];

    const int32_t frameLeft = ToUnits(s.MarginLeft);
    const int32_t frameTop = TruncSat(s.MarginTop * -100.0);
    const int32_t frameRight = ToUnits(s.PageWidth - s.MarginRight);
    const int32_t frameBottom = TruncSat((DocumentHeight - s.MarginBottom) * -100.0);
    const CBrush previous = dc.SelectBrush(CBrush::Hollow);
    dc.Rectangle(frameLeft, frameTop, frameRight, frameBottom);
    dc.SelectBrush(previous);

    const double lineHeight = s.LineHeight();
    const bool usable = LineHeightUsable(lineHeight);
    // The slots the layout filled with lines on this page (the title counts as one).
    const int64_t layoutSlots = Printing ? score.LinesPerPage() : score.LineCount;
    int32_t blankSlots = 0;
    for (int64_t r = 0;; ++r) {
        const int32_t yLine = TruncSat((static_cast<double>(r) * lineHeight + s.MarginTop) * -100.0);
        const std::size_t before = cursor;
        // Slots lie one below the other only when a line has a usable height.
        const int32_t yNext = TruncSat((static_cast<double>(r + 1) * lineHeight + s.MarginTop) * -100.0);
        const bool outside = visible && usable && (yNext > visible->Top || yLine < visible->Bottom);
        if (outside) {
            if (!(score.TitleBlock && pageNumber == 1 && r == 0) && cursor != pageEnd)
                WalkTabLine(score, frameLeft, yLine, cursor);
        } else if (score.TitleBlock && pageNumber == 1 && r == 0) {
            const CRect rect{frameLeft, frameTop, frameRight, TruncSat((lineHeight + s.MarginTop) * -100.0)};
            score.TitleBlock->DrawTitleBlock(dc, rect);
        } else {
            DrawStaffLines(dc, score, yLine);
            if (cursor != pageEnd)
                score.DrawTabLine(dc, frameLeft, yLine, cursor);
        }
        if (cursor == before)
            ++blankSlots;
        if (!usable || blankSlots >= MaxBlankSlots)
            break;
        // The next slot must end at or above the bottom margin. A line the layout put
        // on this page is drawn even when rounding in the last digit says otherwise.
        const bool fits = TruncSat((static_cast<double>(r + 2) * lineHeight + s.MarginTop) * -100.0) >= frameBottom;
        const bool itemsLeft = cursor < score.UnitItems.size() && cursor != pageEnd;
        if (!fits && !(itemsLeft && r + 1 < layoutSlots))
            break;
        // A blank slot that would not move down the page (a NaN or saturated margin)
        // would only draw the same string lines again.
        if (!itemsLeft && yNext == yLine)
            break;
    }
}
