// Where the parts of a TAB line lie: the string lines below a slot's top, the slot's
// bounds, the line's start and end x, and the rule that breaks lines. The layout, the
// page drawing and the item and mark drawing all ask here.
//
// Floating-point addition is not associative, and every length is truncated to 0.01 mm
// once, so the order of each sum is part of the drawing: "depth + T + C + U" (added
// left to right, BelowZone) and "depth + (T + C + U)" (AfterZone) can truncate to
// different units. Each caller keeps the form it has always used.
#pragma once

#include <cstdint>

#include "settings/ScoreSettings.h"
#include "settings/Units.h"

namespace LineGeometry
{
// Slot top to the top string line, in mm: triplet zone, chord zone and upper margin,
// summed in that order.
inline double StringZone(const ScoreSettings& s) { return s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin; }
// depth + triplet zone + chord zone + upper margin, added left to right.
inline double BelowZone(const ScoreSettings& s, double depth)
{
    return depth + s.TripletZoneHeight + s.ChordZoneHeight + s.TabUpperMargin;
}
// depth + StringZone (the zone summed first).
inline double AfterZone(const ScoreSettings& s, double depth) { return depth + StringZone(s); }

// The line k strings below the top string line (k may be fractional) in the slot whose
// top is `top`, as the items place it: top - trunc(BelowZone(k x pitch) x 100).
inline int32_t StringY(const ScoreSettings& s, int32_t top, double k)
{
    return SatSub(top, ToUnits(BelowZone(s, k * s.PitchBetweenLine)));
}
// The same line as the marks place it: top - trunc(AfterZone(k x pitch) x 100).
inline int32_t StringYAfterZone(const ScoreSettings& s, int32_t top, double k)
{
    return SatSub(top, ToUnits(AfterZone(s, k * s.PitchBetweenLine)));
}
// The top string line as the staff lines draw it: top + trunc(StringZone x -100).
inline int32_t StaffTopY(const ScoreSettings& s, int32_t top)
{
    return SatAdd(top, TruncSat(StringZone(s) * -100.0));
}
// Depth of an item's Rect below the slot top, in 0.01 mm: the staff, the lower margin
// and the zones above the strings.
inline int32_t RectDepth(const ScoreSettings& s)
{
    return ToUnits(BelowZone(s, (s.Strings - 1.0) * s.PitchBetweenLine + s.TabLowerMargin));
}
inline int32_t RectBottom(const ScoreSettings& s, int32_t top) { return SatSub(top, RectDepth(s)); }
// A bar line's ends below the top of the item it follows: top and bottom string lines.
inline int32_t BarUpper(const ScoreSettings& s) { return ToUnits(StringZone(s)); }
inline int32_t BarLower(const ScoreSettings& s)
{
    return ToUnits(BelowZone(s, (s.Strings - 1.0) * s.PitchBetweenLine));
}

// x of the frame's left side, where the "TAB" head (if any) starts.
inline int32_t FrameLeftX(const ScoreSettings& s) { return ToUnits(s.MarginLeft); }
// The width of the "TAB" head, truncated on its own.
inline int32_t TabHeadWidth(const ScoreSettings& s) { return ToUnits(s.UnitsForTAB * s.UnitWidth); }
// Where a line's first item is drawn: the margin and the head truncated apart.
inline int32_t LineLeftX(const ScoreSettings& s)
{
    const int32_t x = FrameLeftX(s);
    return s.ShowTAB ? SatAdd(x, TabHeadWidth(s)) : x;
}
// The right end of every line (and of the frame).
inline int32_t LineRightX(const ScoreSettings& s) { return ToUnits(s.PageWidth - s.MarginRight); }
// An item's width: its units times the unit width, truncated once.
inline int32_t ItemWidth(const ScoreSettings& s, int32_t units) { return ToUnits(units * s.UnitWidth); }

// The line-break rule. It runs on its own x, which starts at the head and margin
// truncated together; the drawn x (LineLeftX) truncates them apart and may differ by a
// unit, so the rule never reads the drawn x.
struct CLineFit
{
    explicit CLineFit(const ScoreSettings& s)
        : Start(ToUnits((s.ShowTAB ? s.UnitsForTAB * s.UnitWidth : 0.0) + s.MarginLeft)), End(LineRightX(s))
    {
    }
    // Whether an item `width` wide still goes on the line after fitX. An item that
    // does not fit begins the next line, unless the line is still empty: then it
    // stays, however wide.
    bool Fits(int64_t fitX, int64_t width) const { return !(fitX + width > End && fitX != Start); }

    int64_t Start;
    int64_t End;
};
}  // namespace LineGeometry
