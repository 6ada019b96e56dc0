// Integer geometry helpers. Every length that becomes a 0.01 mm coordinate goes
// through these, so absurd settings saturate instead of overflowing.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Truncates toward zero like a C cast, but clamps to the int32 range and maps NaN to 0.
inline int32_t TruncSat(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Millimetres to logical units (0.01 mm), truncated once.
inline int32_t ToUnits(double mm) { return TruncSat(mm * 100.0); }

inline int32_t SatFrom64(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

inline int32_t SatAdd(int32_t a, int32_t b) { return SatFrom64(int64_t{a} + b); }
inline int32_t SatSub(int32_t a, int32_t b) { return SatFrom64(int64_t{a} - b); }
inline int32_t SatMul(int32_t a, int32_t b) { return SatFrom64(int64_t{a} * b); }

// A font size in tenths of a point as an em height in 0.01 mm, truncated: 720 tenths of
// a point and 2540 units to the inch. Every font maker converts through this.
inline int64_t PointTenthsToUnits(int64_t size) { return size * 2540 / 720; }
