// The text forms of the settings pages' fields and the rules by which a field's text is
// read back, plus the little arithmetic the pages show. Pure functions: the pages only
// move text between these and their controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace DataExchange
{
// A real field reads at most this many characters; the rest of the text is not looked at.
constexpr std::size_t MaxRealChars = 31;

// The shortest form with up to 15 significant digits ("%.15g"): 20, 2.5, 0.45. Always
// with '.' as the decimal point, whatever the user's locale.
std::string FormatReal(double value);

// Blanks (spaces, tabs) around one decimal number and nothing else. Refused: an empty
// text, trailing characters, and a value of 0 whose first non-blank character is not
// '0' ("-0", ".0", "+0"). A value too large for a double becomes infinite, as the C
// library's conversion gives it.
std::optional<double> ParseReal(std::string_view text);

// "%d".
std::string FormatInt(int32_t value);

// The same shape as a real, with an optional sign and decimal digits only. A value
// beyond the 32-bit range saturates.
std::optional<int32_t> ParseInt(std::string_view text);

// "%.1f", locale-independent.
std::string FormatFixed1(double value);

// number x numerator / denominator with a 64-bit product, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// The font dialog's starting height for a size in whole points on a device of the given
// vertical pixels per inch: negative, as a character (em) height.
int32_t FontDialogHeight(int32_t points, int32_t pixelsPerInch);

// The TAB page's read-outs. The line height always counts five string pitches, whatever
// the score's string count; the lines per page are truncated (and saturate when the
// line height is zero or not finite).
double LineHeightReadout(double pitch, double chordZone, double upperMargin, double lowerMargin,
                         double tripletZone);
int32_t LinesPerPageReadout(double pageHeight, double marginTop, double marginBottom, double lineHeight);
}  // namespace DataExchange
