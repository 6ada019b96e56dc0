// The score object: settings, title block, drawing resources, the unit items in file
// order, the span marks between them and the results of the layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "display/ScoreGeometry.h"
#include "display/Surface.h"
#include "model/TextEncoding.h"
#include "model/TitleBlock.h"
#include "settings/ScoreSettings.h"
#include "symbols/Bitmap.h"
#include "symbols/InterUnit.h"
#include "symbols/ScoreItem.h"

class CSettingsStore;

class CScore
{
public:
    static constexpr std::size_t MaxPages = 129;
    static constexpr std::size_t NoItem = static_cast<std::size_t>(-1);

    // Loads the bitmaps and the stored settings (page, TAB, note, font).
    explicit CScore(const CSettingsStore& store);
    ~CScore();
    CScore(const CScore&) = delete;
    CScore& operator=(const CScore&) = delete;

    void ClearContents();
    void AddUnitItem(std::unique_ptr<CScoreItem> item);
    void AddSpanMark(std::unique_ptr<CScoreInterUnit> mark);
    void AddDeferredMark(CScoreInterUnit* mark);

    // Measures in the cached fret font (0 while it does not exist). The height is
    // bottom - top of the measured rectangle, so negative in y-up coordinates.
    int32_t TextHeightInFretFont(CSurface& dc, std::string_view text) const;
    int32_t TextWidthInFretFont(CSurface& dc, std::string_view text) const;

    // TAB lines per page; below 1 when a line has no usable height.
    int32_t LinesPerPage() const;
    // Sets PageCount, LineCount, PageStarts and the cut (FirstItemNotShown,
    // FirstItemNotPrinted) from the settings and the items, then, unless told to stop at
    // the pages, Geometry: where every item lies on the screen and on each printed page.
    enum class LayoutDepth
    {
        Pages,      // enough to say where the score is cut (a check)
        Positions,  // for drawing, hit tests and cursors
    };
    void LayoutScore(LayoutDepth depth = LayoutDepth::Positions);

    // Page drawing: one TAB line from the cursor on, the "TAB" head, and the
    // line-end flush of marks still waiting for their end item.
    void DrawTabLine(CSurface& dc, int32_t x, int32_t yLine, std::size_t& cursor);
    int32_t DrawTabLetters(CSurface& dc, int32_t x, int32_t yLine);
    void FlushDeferredMarks(CSurface& dc);

    ScoreSettings Settings;
    std::unique_ptr<CTitleBlock> TitleBlock;
    std::unique_ptr<CMemoryDC> MemoryDC;
    std::unique_ptr<CBitmap> Flag1Bitmap;
    std::unique_ptr<CBitmap> Flag2Bitmap;
    std::unique_ptr<CBitmap> Flag3Bitmap;
    std::unique_ptr<CBitmap> Rest4Bitmap;
    std::unique_ptr<CBitmap> Rest8Bitmap;
    std::unique_ptr<CBitmap> Rest16Bitmap;
    std::unique_ptr<CBitmap> Rest32Bitmap;
    std::unique_ptr<CBitmap> VibratoBitmap;
    // Holds the items and marks the reader makes; declared first so that it goes last.
    CItemArena Arena;
    std::vector<std::unique_ptr<CScoreItem>> UnitItems;
    std::vector<std::unique_ptr<CScoreInterUnit>> SpanMarks;
    std::vector<CScoreInterUnit*> DeferredMarks;  // not owning; empty outside drawing
    int32_t PageCount = 1;
    int32_t LineCount = 0;
    std::array<std::size_t, MaxPages> PageStarts;  // NoItem where a page has no entry
    CScoreGeometry Geometry;                        // set by LayoutScore; see ScoreGeometry.h
    TextEncoding Encoding = TextEncoding::Cp932;    // of every text in the score

    // Where each unit item's token begins in the text read (bytes after a byte-order mark),
    // by item index; filled only by a read that collects diagnostics. SourcePointOf (in
    // the reader) turns one into a line and column.
    std::vector<uint32_t> ItemOffsets;
    // Set by LayoutScore when the items run past the last page: the first item the screen
    // leaves out (after the first line of that page) and the first the printer leaves out
    // (after the page); NoItem when nothing is left out.
    std::size_t FirstItemNotShown = NoItem;
    std::size_t FirstItemNotPrinted = NoItem;

private:
    void DestroyScore();
};
