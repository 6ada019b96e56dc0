// The drawing side of the view: the document height, the preparation of a surface
// (fonts and memory surface of the score), and the drawing of one page. The screen,
// printing, copy as image, "plekto render" and "plekto trace" all draw through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "display/ScoreGeometry.h"
#include "display/Surface.h"

class CScore;
struct FontEntry;
struct ScoreSettings;

// A band across the whole width of the page, in logical y (Top >= Bottom): the part a
// repaint has to cover.
struct CBand
{
    int32_t Top = 0;
    int32_t Bottom = 0;
};

class CPageView
{
public:
    // Blank line slots drawn after the items of a page run out are capped: settings
    // with a page of kilometres or NaN margins would otherwise draw without end, or
    // for so long, over 129 pages, that printing seems to hang. No real page has more
    // than a few dozen slots; 512 are 20 m of paper at the default line height.
    static constexpr int32_t MaxBlankSlots = CPageSlots::MaxBlankSlots;

    // The prepare step's drawing part: the document height (the page height when
    // printing, else tall enough for every line of the score), then the score's
    // missing fonts and memory surface.
    void Prepare(CScore& score, bool printing);

    // The screen document's height in mm: the page height, or more when the score's
    // lines need more.
    static double ScreenDocumentHeight(const CScore& score);
    // Creates the cached fonts still missing, in the order fret, TAB, main title, sub-title.
    static void CreateFonts(ScoreSettings& settings);
    // A font as the view makes it from an entry: the name cut to 31 bytes and the em
    // height trunc(Size x 2540 / 720) in 0.01 mm.
    static CFont MakeFont(const FontEntry& entry);

    // The paint: selects the view's black brush and the score's text encoding, draws
    // the page and restores the brush and the encoding.
    void Paint(CSurface& dc, CScore& score, int32_t pageNumber, std::optional<CBand> visible = std::nullopt) const;

    // The frame, then line slot by line slot the title block or the string lines with
    // the items of the page, down to the bottom margin of the document height.
    // With a visible band, slots that lie wholly outside it are passed over with the
    // score's geometry, not walked: a repaint of a strip costs the strip. Everything
    // drawn, and the Rect, StemX and DrawState the drawing sets for it, is as in a full
    // paint; items and marks only outside the band keep what they had.
    void DrawPage(CSurface& dc, CScore& score, int32_t pageNumber,
                  std::optional<CBand> visible = std::nullopt) const;
    // The string lines of the slot whose top is yLine, from frame left to frame right.
    void DrawStaffLines(CSurface& dc, const CScore& score, int32_t yLine) const;

    double DocumentHeight = 0.0;  // mm; set by Prepare
    bool Printing = false;        // set by Prepare: pages stop at the next page's start

private:
    // Before the line at cursor (in the given slot) is drawn after lines passed over:
    // the start items, on those lines, of marks ending on this one get their Rects.
    static void PlaceSpanStarts(CScore& score, const CPageSlots& slots, std::size_t pageStart, std::size_t cursor,
                                int64_t slot);
};
