// Drawing of the unit items. Each Draw reads Rect and the settings afresh, truncates
// every length once where its formula says, and restores whatever it selected. Sums
// of coordinates go through the saturating helpers, so absurd settings draw nonsense
// but never overflow.
#include <algorithm>
#include <string>

#include "display/LineGeometry.h"
#include "model/Score.h"
#include "settings/Units.h"
#include "symbols/Items.h"

namespace
{
// The column's geometry, read once per Draw. W is formed in 64 bits: a column may be
// as wide as the whole coordinate range.
struct CColumn
{
    int32_t L;
    int32_t R;
    int32_t T;
    int64_t W;
};

CColumn ColumnOf(const CScoreItem& item)
{
    return {item.Rect.left, item.Rect.right, item.Rect.top, int64_t{item.Rect.right} - item.Rect.left};
}

int32_t At(int64_t v) { return SatFrom64(v); }

using LineGeometry::BelowZone;
using LineGeometry::StringY;
using LineGeometry::StringZone;

// A solid dot 0.5 mm across with its top-left corner at (x, y).
void Dot(CSurface& dc, int32_t x, int32_t y) { dc.Ellipse(x, y, SatAdd(x, 50), SatSub(y, 50)); }

void DrawTextIn(CSurface& dc, std::string_view text, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t flags)
{
    CRect rect{l, t, r, b};
    dc.DrawText(text, rect, flags);
}

// Copies a symbol bitmap through the score's memory surface, restoring its selection.
void CopyBitmap(CSurface& dc, const CScore& score, const CBitmap& bitmap, int32_t x, int32_t y, int32_t w,
                int32_t h)
{
    CMemoryDC* memory = score.MemoryDC.get();
    if (!memory)
        return;
    const CBitmap* previous = memory->SelectBitmap(&bitmap);
    dc.StretchBlt(x, y, w, h, *memory, 0, 0, bitmap.Width, bitmap.Height);
    memory->SelectBitmap(previous);
}
}  // namespace

// ---------------------------------------------------------------------------------
// Note column: fret numbers on their string lines, dots, the box of whole and half
// notes, cross or slash heads, the stem and the note's own flags.

int32_t CItemNote::StemX() const
{
    if (!Drawn)
        return 0;
    const CColumn c = ColumnOf(*this);
    return At(c.L + c.W / 2);
}

int32_t CItemNote::StemTipY() const
{
    if (!Drawn)
        return 0;
    const ScoreSettings& s = Score->Settings;
    return SatSub(Rect.top, ToUnits(StringZone(s) - s.StemHeight));
}

void CItemNote::Draw(CSurface& dc)
{
    const ScoreSettings& s = Score->Settings;
    const CColumn c = ColumnOf(*this);
    Drawn = true;
    const int32_t cx = StemX();
    const int32_t stemTip = StemTipY();
    int32_t stemEnd = stemTip;

    if (HeadKind == Head::Numbers) {
        CFontScope font(dc, s.FontFret.Font.get());
        const int32_t h = Score->TextHeightInFretFont(dc, "0X");  // negative: y grows upward
        const int32_t w = Score->TextWidthInFretFont(dc, "0X");
        int32_t lastString = 0;
        // Frets never holds more entries than Strings; beyond it every string reads as invalid.
        const int32_t strings = static_cast<int32_t>(std::min<std::size_t>(
            Frets.size(), static_cast<std::size_t>(std::max(s.Strings, 0))));
        for (int32_t string = 1; string <= strings; ++string) {
            const int32_t f = GetFret(string);
            if (f == Invalid || f == NoNote)
                continue;
            const int32_t y = StringY(s, c.T, string - 1.0);
            const int32_t top = SatSub(y, h / 2);
            const std::string text = f == Muted ? std::string("X") : std::to_string(f);
            DrawTextIn(dc, text, c.L, top, c.R, SatAdd(y, h / 2), DT_CENTER | DT_SINGLELINE);
            if (Dotted) {
                const double factor = Length > 2 ? 0.9 : 1.2;
                const int32_t dotX = SatAdd(c.L, TruncSat(factor * static_cast<double>(c.W)));
                Dot(dc, dotX, StringY(s, c.T, string - 1.0 - 0.5));
            }
            if (stemEnd == stemTip)
                stemEnd = top;  // the stem stops at the top of the highest number
            lastString = string;
        }
        if (lastString == 0)
            stemEnd = StringY(s, c.T, 0);
        if (Length >= 1 && Length <= 2 && lastString != 0) {
            CBrushScope hollow(dc, CBrush::Hollow);
            const int64_t boxW = static_cast<double>(c.W) < 1.2 * w ? c.W : int64_t{TruncSat(1.2 * w)};
            const int64_t inset = (c.W - boxW) / 2;
            const int32_t corner = At(boxW / 2);
            dc.RoundRect(At(c.L + inset), stemEnd, At(c.R - inset),
                         SatAdd(StringY(s, c.T, lastString - 1.0), h / 2), corner, corner);
        }
    } else if (HeadKind == Head::Cross || HeadKind == Head::Slash) {
        const int32_t yA = SatSub(c.T, ToUnits(StringZone(s) + s.PitchBetweenLine));
        const int32_t yB =
            SatSub(c.T, ToUnits(BelowZone(s, (s.Strings - 1.0) * s.PitchBetweenLine) - s.PitchBetweenLine));
        stemEnd = yA;
        if (HeadKind == Head::Cross) {
            const int64_t t = c.W / 3;
            dc.MoveTo(At(c.L + t), yA);
            dc.LineTo(At(c.R - t), yB);
            dc.MoveTo(At(c.R - t), yA);
            dc.LineTo(At(c.L + t), yB);
        } else {
            const int64_t zeroWidth = Score->TextWidthInFretFont(dc, "0");
            const int64_t a = zeroWidth < c.W / 4 ? zeroWidth : c.W / 4;
            const CPoint points[] = {{cx, yA}, {At(cx - a), yB}, {At(cx - 2 * a), yB}, {At(cx - a), yA}, {cx, yA}};
            CBrushScope black(dc, CBrush::Black);
            dc.PaintPolygon(points);
        }
    }

    if (Length > 1) {  // whole notes have no stem
        dc.MoveTo(cx, stemTip);
        dc.LineTo(cx, stemEnd);
    }

    if (FlagKind == Flag::Single) {
        const CBitmap* flag = Length == 8    ? Score->Flag1Bitmap.get()
                              : Length == 16 ? Score->Flag2Bitmap.get()
                              : Length == 32 ? Score->Flag3Bitmap.get()
                                             : nullptr;
        // The flags hang from the stem tip, filling the box to the column's right edge
        // and down to the top string line.
        if (flag)
            CopyBitmap(dc, *Score, *flag, cx, stemTip, SatSub(c.R, cx), TruncSat(s.StemHeight * -100.0));
    }
}

// ---------------------------------------------------------------------------------
// Rest: a block for whole and half rests, a bitmap scaled to the staff for the others.

void CItemRest::Draw(CSurface& dc)
{
    const ScoreSettings& s = Score->Settings;
    const CColumn c = ColumnOf(*this);
    if (Length == 1 || Length == 2) {
        // A block hanging from the third string line (whole) or sitting on it (half).
        const int32_t yC = StringY(s, c.T, 2);
        const int32_t half = ToUnits(s.PitchBetweenLine * 0.5);
        dc.Rectangle(At(c.L + c.W / 4), yC, At(c.R - c.W / 4), Length == 1 ? SatSub(yC, half) : SatAdd(yC, half));
        return;
    }
    const CBitmap* bitmap = Length == 4    ? Score->Rest4Bitmap.get()
                            : Length == 8  ? Score->Rest8Bitmap.get()
                            : Length == 16 ? Score->Rest16Bitmap.get()
                            : Length == 32 ? Score->Rest32Bitmap.get()
                                           : nullptr;
    if (!bitmap || bitmap->Height <= 0)
        return;
    // The symbol fills the staff from the top to the bottom string line and keeps the
    // bitmap's proportions: multiply first, then divide.
    const int64_t h = ToUnits((s.Strings - 1.0) * s.PitchBetweenLine);
    const int64_t destW = h * bitmap->Width / bitmap->Height;
    CopyBitmap(dc, *Score, *bitmap, At(c.L + (c.W - destW) / 2), StringY(s, c.T, 0), At(destW),
               TruncSat((s.Strings - 1.0) * s.PitchBetweenLine * -100.0));
    if (Dotted)
        Dot(dc, SatAdd(c.L, TruncSat(0.9 * static_cast<double>(c.W))), StringY(s, c.T, 2.5));
}

// ---------------------------------------------------------------------------------
// Time signature: each figure centred in its half of the staff, in the TAB font.

void CItemMusicalTime::Draw(CSurface& dc)
{
    const ScoreSettings& s = Score->Settings;
    const CColumn c = ColumnOf(*this);
    CFontScope font(dc, s.FontTAB.Font.get());
    const uint32_t flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    const double staff = (s.Strings - 1.0) * s.PitchBetweenLine;

    const int32_t topString = StringY(s, c.T, 0);
    if (Numerator < 100)
        DrawTextIn(dc, std::to_string(Numerator), c.L, topString, c.R,
                   SatSub(topString, ToUnits(staff * 0.5)), flags);

    const int32_t yBot = SatSub(c.T, ToUnits(BelowZone(s, staff)));
    if (Denominator < 100)
        DrawTextIn(dc, std::to_string(Denominator), c.L, SatSub(yBot, TruncSat(staff * 0.5 * -100.0)), c.R, yBot,
                   flags);
}

// ---------------------------------------------------------------------------------
// Repeat bar: a thick and a thin bar with two dots, at the left edge for an opening
// bar and at the right edge for a closing one. Offsets are fixed lengths.

void CItemRepeatBar::Draw(CSurface& dc)
{
    const ScoreSettings& s = Score->Settings;
    const CColumn c = ColumnOf(*this);
    const int32_t yTop = StringY(s, c.T, 0);
    const int32_t yBot = SatSub(yTop, ToUnits((s.Strings - 1.0) * s.PitchBetweenLine));
    int32_t dotX = 0;
    if (Side == RepeatSide::Open) {
        dc.Rectangle(c.L, yTop, SatAdd(c.L, 100), yBot);
        dc.MoveTo(SatAdd(c.L, 200), yTop);
        dc.LineTo(SatAdd(c.L, 200), yBot);
        dotX = SatAdd(c.L, 300);
    } else {
        dc.Rectangle(SatSub(c.R, 100), yTop, c.R, yBot);
        dc.MoveTo(SatSub(c.R, 200), yTop);
        dc.LineTo(SatSub(c.R, 200), yBot);
        dotX = SatSub(c.R, 300);
    }
    // The dots keep their places whatever the number of strings.
    Dot(dc, dotX, SatSub(yTop, ToUnits(s.PitchBetweenLine * 1.5)));
    Dot(dc, dotX, SatSub(yTop, ToUnits(s.PitchBetweenLine * 3.5)));
}

// An empty column: the string lines and any bar line are the page drawing's.
void CItemSpace::Draw(CSurface&) {}
