// Drawing of the six span marks. Each mark draws in one piece when its two ends share
// a line, otherwise as a head piece (to the line's right end) and a tail piece (from
// the line's left start). Every length is truncated once, where the formula says, and
// sums of coordinates are formed in 64 bits and saturated, so absurd settings draw
// nonsense but never overflow.
#include <algorithm>
#include <string>

#include "display/LineGeometry.h"
#include "model/Score.h"
#include "settings/Units.h"
#include "symbols/Items.h"
#include "symbols/Marks.h"

namespace
{
const CFont* FretFont(const CScore& score) { return score.Settings.FontFret.Font.get(); }

using LineGeometry::StringYAfterZone;
using LineGeometry::StringZone;

void DrawTextIn(CSurface& dc, const std::string& text, int32_t l, int32_t t, int32_t r, int32_t b,
                uint32_t flags)
{
    CRect rect{l, t, r, b};
    dc.DrawText(text, rect, flags);
}

// Half a column of `units` drawing units, as the one-note beam stub and the repeat
// ending's right end use it.
int32_t HalfUnits(const ScoreSettings& s, int32_t units) { return ToUnits(units * s.UnitWidth * 0.5); }
}  // namespace

// ---------------------------------------------------------------------------------
// Beam. Hangs below the stem tips the notes recorded in this drawing pass.

namespace
{
struct CBeamEnds
{
    const CItemNote* Start = nullptr;
    const CItemNote* End = nullptr;
};

CBeamEnds BeamEnds(CScoreItem* start, CScoreItem* end)
{
    CBeamEnds ends{dynamic_cast<const CItemNote*>(start), dynamic_cast<const CItemNote*>(end)};
    if (!ends.Start || !ends.End)
        return {};
    return ends;
}

// The beam's rectangle before its height is applied: from the start stem tip to the end
// stem tip (a half-column stub for a one-note beam), lowered for deeper beams.
CRect BeamRect(const CConnectedNoteFlag& beam, const CBeamEnds& ends)
{
    const ScoreSettings& s = beam.Score->Settings;
    const CItemNote& start = *ends.Start;
    CRect r{start.StemX(), start.StemTipY(), ends.End->StemX(), ends.End->StemTipY()};
    if (ends.Start == ends.End) {
        const int32_t stub = HalfUnits(s, start.Units);
        r.right = beam.GetSide() == 'L' ? SatSub(start.StemX(), stub) : SatAdd(start.StemX(), stub);
    }
    const int32_t step = TruncSat((s.FlagMargin + s.FlagHeight) * -100.0);
    const int32_t d = SatMul(std::max(beam.GetLevel() - 1, 0), step);
    r.top = SatAdd(r.top, d);
    r.bottom = SatAdd(r.bottom, d);
    return r;
}
}  // namespace

void CConnectedNoteFlag::DrawWithinLine(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    const CBeamEnds ends = BeamEnds(start, end);
    if (!ends.Start)
        return;
    const CRect r = BeamRect(*this, ends);
    dc.Rectangle(r.left, r.top, r.right, SatAdd(r.bottom, TruncSat(Score->Settings.FlagHeight * -100.0)));
}

void CConnectedNoteFlag::DrawHead(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    const CBeamEnds ends = BeamEnds(start, end);
    if (!ends.Start)
        return;
    const CRect r = BeamRect(*this, ends);
    dc.Rectangle(r.left, r.top, LineRightX(), SatSub(r.top, ToUnits(Score->Settings.FlagHeight)));
}

void CConnectedNoteFlag::DrawTail(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    const CBeamEnds ends = BeamEnds(start, end);
    if (!ends.Start)
        return;
    const CRect r = BeamRect(*this, ends);
    dc.Rectangle(LineLeftX(), r.bottom, ends.End->StemX(),
                 SatAdd(r.bottom, TruncSat(Score->Settings.FlagHeight * -100.0)));
}

// ---------------------------------------------------------------------------------
// Tie. The lower part of an ellipse hanging below the fret numbers of its string, with
// its label under it; the pieces at a line break are quarters of an ellipse centred on
// the line's end.

namespace
{
struct CTieBand
{
    int32_t Top;    // top of the ellipse: a third of a line spacing above the string
    int32_t Mid;    // its horizontal centre line: two thirds below the string
    int32_t Low;    // its bottom
    int32_t Label;  // the label's height (negative), measured on a fixed sample
};

CTieBand TieBand(CSurface& dc, const CScore& score, int32_t string, int32_t lineTop)
{
    const ScoreSettings& s = score.Settings;
    const double q = 2.0 / 3.0;
    CTieBand band{};
    band.Top = StringYAfterZone(s, lineTop, (string - 2.0) + q);
    band.Mid = StringYAfterZone(s, lineTop, (string - 1.0) + q);
    band.Low = SatSub(band.Top, ToUnits(2 * s.PitchBetweenLine));
    band.Label = score.TextHeightInFretFont(dc, "shpgAZ");
    return band;
}
}  // namespace

void CTie::DrawWithinLine(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    if (!start || !end)
        return;
    CFontScope font(dc, FretFont(*Score));
    const CTieBand b = TieBand(dc, *Score, GetLevel(), start->Rect.top);
    const int32_t x1 = Centre(*start);
    const int32_t x2 = Centre(*end);
    dc.Arc(x1, b.Top, x2, b.Low, x1, b.Mid, x2, b.Mid);
    DrawTextIn(dc, Text, x1, b.Low, x2, SatAdd(b.Low, b.Label), DT_CENTER | DT_SINGLELINE);
}

void CTie::DrawHead(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem*)
{
    if (!start)
        return;
    CFontScope font(dc, FretFont(*Score));
    const CTieBand b = TieBand(dc, *Score, GetLevel(), start->Rect.top);
    const int32_t x1 = Centre(*start);
    const int32_t xR = LineRightX();
    dc.Arc(x1, b.Top, SatFrom64(2 * int64_t{xR} - x1), b.Low, x1, b.Mid, xR, b.Low);
    DrawTextIn(dc, Text, x1, b.Low, xR, SatAdd(b.Low, b.Label), DT_RIGHT | DT_SINGLELINE);
}

void CTie::DrawTail(CSurface& dc, const CRect&, CScoreItem*, CScoreItem* end)
{
    if (!end)
        return;
    CFontScope font(dc, FretFont(*Score));
    const CTieBand b = TieBand(dc, *Score, GetLevel(), end->Rect.top);
    const int32_t x2 = Centre(*end);
    const int32_t xL = LineLeftX();
    dc.Arc(SatFrom64(2 * int64_t{xL} - x2), b.Top, x2, b.Low, xL, b.Low, x2, b.Mid);
    DrawTextIn(dc, Text, xL, b.Low, x2, SatAdd(b.Low, b.Label), DT_SINGLELINE);
}

// ---------------------------------------------------------------------------------
// Tuplet: the digit in the triplet zone, with an optional bracket at mid-height whose
// gap leaves room for the digit and whose hooks point down to the notes.

namespace
{
struct CTripletBand
{
    int32_t Top;
    int32_t Bottom;
    int32_t Mid;
};

CTripletBand TripletBand(const ScoreSettings& s, int32_t lineTop)
{
    CTripletBand band{};
    band.Top = SatSub(lineTop, ToUnits(s.ChordZoneHeight));
    band.Bottom = SatSub(band.Top, ToUnits(s.TripletZoneHeight));
    band.Mid = SatFrom64(band.Top + (int64_t{band.Bottom} - band.Top) / 2);
    return band;
}
}  // namespace

void CTripletMark::DrawWithinLine(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    if (!start || !end)
        return;
    CFontScope font(dc, FretFont(*Score));
    const std::string digit = std::to_string(Level);
    const int32_t w = Score->TextWidthInFretFont(dc, digit);
    const CTripletBand b = TripletBand(Score->Settings, start->Rect.top);
    const int32_t left = Centre(*start);
    const int32_t right = Centre(*end);
    DrawTextIn(dc, digit, left, b.Top, right, b.Bottom, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (!Bracket)
        return;
    const int32_t xM = SatFrom64(right - (int64_t{right} - left) / 2);
    const int32_t w2 = w / 2;
    dc.MoveTo(left, b.Mid);
    dc.LineTo(left, b.Bottom);
    dc.MoveTo(left, b.Mid);
    dc.LineTo(SatSub(xM, w2), b.Mid);
    dc.MoveTo(SatAdd(xM, w2), b.Mid);
    dc.LineTo(right, b.Mid);
    dc.LineTo(right, b.Bottom);
}

void CTripletMark::DrawHead(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem*)
{
    if (!start)
        return;
    CFontScope font(dc, FretFont(*Score));
    const std::string digit = std::to_string(Level);
    const int32_t w = Score->TextWidthInFretFont(dc, digit);
    const CTripletBand b = TripletBand(Score->Settings, start->Rect.top);
    const int32_t left = Centre(*start);
    const int32_t xR = LineRightX();
    DrawTextIn(dc, digit, left, b.Top, xR, b.Bottom, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    if (!Bracket)
        return;
    dc.MoveTo(left, b.Mid);
    dc.LineTo(left, b.Bottom);
    dc.MoveTo(left, b.Mid);
    dc.LineTo(SatSub(xR, w), b.Mid);
}

void CTripletMark::DrawTail(CSurface& dc, const CRect&, CScoreItem*, CScoreItem* end)
{
    if (!end)
        return;
    CFontScope font(dc, FretFont(*Score));
    const std::string digit = std::to_string(Level);
    const int32_t w = Score->TextWidthInFretFont(dc, digit);
    const CTripletBand b = TripletBand(Score->Settings, end->Rect.top);
    const int32_t xL = LineLeftX();
    const int32_t right = Centre(*end);
    DrawTextIn(dc, digit, xL, b.Top, right, b.Bottom, DT_VCENTER | DT_SINGLELINE);
    if (!Bracket)
        return;
    dc.MoveTo(SatAdd(xL, w), b.Mid);
    dc.LineTo(right, b.Mid);
    dc.LineTo(right, b.Bottom);
}

// ---------------------------------------------------------------------------------
// Chord name: in the chord zone at the top-left of its column; never crosses a line.

void CChordMark::DrawWithinLine(CSurface& dc, const CRect& rect, CScoreItem*, CScoreItem*)
{
    CFontScope font(dc, FretFont(*Score));
    const int32_t width = Score->TextWidthInFretFont(dc, Text);
    const CRect r{rect.left, rect.top, SatAdd(rect.left, width),
                  SatSub(rect.top, ToUnits(Score->Settings.ChordZoneHeight))};
    if (Framed) {
        const CBrush previous = dc.SelectBrush(CBrush::Hollow);
        dc.Rectangle(r.left, r.top, r.right, r.bottom);
        dc.SelectBrush(previous);
    }
    DrawTextIn(dc, Text, r.left, r.top, r.right, r.bottom, DT_SINGLELINE);
}

void CChordMark::DrawHead(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}
void CChordMark::DrawTail(CSurface&, const CRect&, CScoreItem*, CScoreItem*) {}

// ---------------------------------------------------------------------------------
// Vibrato: copies of the wave bitmap along one string, each at most one line spacing
// high and one unit wide.

namespace
{
// A run of copies ends at xEnd, and never needs to go past the paper's right edge.
// Copies narrower than one unit could still number in the billions under absurd
// settings; a line of a real page holds a few dozen.
constexpr int MaxWaveCopies = 4096;
}  // namespace

void CVibrato::DrawWaves(CSurface& dc, int32_t x0, int32_t yTop, int32_t xEnd)
{
    const CBitmap* bitmap = Score->VibratoBitmap.get();
    CMemoryDC* memory = Score->MemoryDC.get();
    if (!bitmap || !memory || bitmap->Width <= 0 || bitmap->Height <= 0)
        return;
    const ScoreSettings& s = Score->Settings;
    const double bw = bitmap->Width;
    const double bh = bitmap->Height;
    const int32_t p = ToUnits(s.PitchBetweenLine);
    const int32_t u = ToUnits(s.UnitWidth);
    double scale = p / bh;
    if (bw * scale > u)
        scale = u / bw;

    const int32_t yS = StringYAfterZone(s, yTop, Level - 1.0);
    int64_t left = x0;
    int64_t top = yS;
    int64_t right = TruncSat(x0 + bw * scale);
    int64_t bottom = TruncSat(yS - bh * scale);
    const int64_t ww = right - left;
    const int64_t hw = top - bottom;
    left += (u - ww) / 2;
    right += (u - ww) / 2;
    top -= (p - hw) / 2;

    const int64_t paperRight = ToUnits(s.PageWidth);
    const CBitmap* previous = memory->SelectBitmap(bitmap);
    for (int copies = 0; copies < MaxWaveCopies; ++copies) {
        dc.StretchBlt(SatFrom64(left), SatFrom64(top), SatFrom64(ww), SatFrom64(-hw), *memory, 0, 0,
                      bitmap->Width, bitmap->Height);
        // A copy with no width would repeat itself in place forever.
        if (ww <= 0)
            break;
        left += ww;
        right += ww;
        if (right > xEnd || left >= paperRight)
            break;
    }
    memory->SelectBitmap(previous);
}

void CVibrato::DrawWithinLine(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    if (start && end)
        DrawWaves(dc, start->Rect.left, start->Rect.top, end->Rect.right);
}

void CVibrato::DrawHead(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem*)
{
    if (start)
        DrawWaves(dc, start->Rect.left, start->Rect.top, LineRightX());
}

void CVibrato::DrawTail(CSurface& dc, const CRect&, CScoreItem*, CScoreItem* end)
{
    // The tail starts at the left margin itself, not after the "TAB" head.
    if (end)
        DrawWaves(dc, ToUnits(Score->Settings.MarginLeft), end->Rect.top, end->Rect.right);
}

// ---------------------------------------------------------------------------------
// Repeat ending: a hook rising from the top string line, the bracket line along the
// chord zone's lower edge, and the label hanging under it.

namespace
{
void DrawEnding(CSurface& dc, const CScore& score, const std::string& text, int32_t xA, int32_t yB,
                int32_t xB, int32_t yS)
{
    dc.MoveTo(xA, yS);
    dc.LineTo(xA, yB);
    dc.LineTo(xB, yB);
    CFontScope font(dc, FretFont(score));
    DrawTextIn(dc, text, xA, yB, xB, yS, DT_NOCLIP);
}
}  // namespace

void CRepeatNum::DrawWithinLine(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem* end)
{
    if (!start || !end)
        return;
    const ScoreSettings& s = Score->Settings;
    const int32_t yB = SatSub(start->Rect.top, ToUnits(s.ChordZoneHeight));
    const int32_t yS = SatSub(end->Rect.top, ToUnits(StringZone(s)));
    const int32_t xB = SatSub(end->Rect.right, HalfUnits(s, 1));
    DrawEnding(dc, *Score, Text, start->Rect.left, yB, xB, yS);
}

void CRepeatNum::DrawHead(CSurface& dc, const CRect&, CScoreItem* start, CScoreItem*)
{
    if (!start)
        return;
    const ScoreSettings& s = Score->Settings;
    const int32_t yB = SatSub(start->Rect.top, ToUnits(s.ChordZoneHeight));
    const int32_t yS = SatSub(start->Rect.top, ToUnits(StringZone(s)));
    DrawEnding(dc, *Score, Text, start->Rect.left, yB, LineRightX(), yS);
}

void CRepeatNum::DrawTail(CSurface& dc, const CRect&, CScoreItem*, CScoreItem* end)
{
    if (!end)
        return;
    const ScoreSettings& s = Score->Settings;
    const int32_t y = SatSub(end->Rect.top, ToUnits(s.ChordZoneHeight));
    // The continued line starts at the left margin itself, not after the "TAB" head.
    dc.MoveTo(ToUnits(s.MarginLeft), y);
    dc.LineTo(SatSub(end->Rect.right, HalfUnits(s, 1)), y);
}
