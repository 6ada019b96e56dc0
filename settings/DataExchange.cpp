#include "settings/DataExchange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "settings/Ascii.h"
#include "settings/Units.h"

namespace DataExchange
{
namespace
{
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

struct Scan
{
    double Value = 0.0;
    std::size_t End = 0;  // where the number ends; the start when there is none
};

// Where a number too large or too small for a double lies: the decimal exponent of its
// first significant digit, roughly. Only its sign matters.
int64_t Magnitude(std::string_view mantissa, int64_t exponent)
{
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstNonZero = mantissa.find_first_not_of("0.");
    if (firstNonZero == std::string_view::npos)
        return 0;
    const int64_t position = firstNonZero < point ? static_cast<int64_t>(point - firstNonZero)
                                                  : -static_cast<int64_t>(firstNonZero - point - 1);
    return position + exponent;
}

// The part of the text that the C library's strtod would take as a decimal number:
// sign, digits with an optional fraction (at least one digit), optional exponent.
Scan ScanReal(std::string_view text, std::size_t start)
{
    Scan scan;
    scan.End = start;
    std::size_t i = start;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t mantissaStart = i;
    i = SkipDigits(text, i);
    std::size_t digits = i - mantissaStart;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction = i + 1;
        i = SkipDigits(text, fraction);
        digits += i - fraction;
    }
    if (digits == 0)
        return scan;
    const std::size_t mantissaEnd = i;
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t expDigits = j;
        j = SkipDigits(text, j);
        if (j > expDigits) {
            for (std::size_t k = expDigits; k < j; ++k)
                exponent = std::min<int64_t>(exponent * 10 + (text[k] - '0'), 1'000'000'000);
            if (negativeExponent)
                exponent = -exponent;
            i = j;
        }
    }
    double value = 0.0;
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + i;
    const auto [ptr, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        const std::string_view mantissa(first, mantissaEnd - mantissaStart);
        value = Magnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || ptr != last) {
        return scan;
    }
    scan.Value = negative ? -value : value;
    scan.End = i;
    return scan;
}

// Blanks, the number, blanks, end; a zero only when the text begins with '0'.
template <typename T, typename Scanner>
std::optional<T> ParseWhole(std::string_view text, Scanner scanner)
{
    const std::size_t start = SkipBlanks(text, 0);
    const char first = start < text.size() ? text[start] : '\0';
    const auto [value, end] = scanner(text, start);
    if (value == 0 && first != '0')
        return std::nullopt;
    if (SkipBlanks(text, end) != text.size())
        return std::nullopt;
    return value;
}

struct IntScan
{
    int32_t Value = 0;
    std::size_t End = 0;
};

// strtol with a 32-bit long: saturates beyond the range.
IntScan ScanInt(std::string_view text, std::size_t start)
{
    std::size_t i = start;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digits = i;
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), int64_t{1} << 32);
    if (i == digits)
        return {0, start};
    return {SatFrom64(negative ? -magnitude : magnitude), i};
}

template <typename T>
std::string ToChars(T value, auto... format)
{
    char buffer[400];
    const auto [ptr, error] = std::to_chars(buffer, buffer + sizeof buffer, value, format...);
    if (error != std::errc())
        return {};
    return std::string(buffer, ptr);
}
}  // namespace

std::string FormatReal(double value) { return ToChars(value, std::chars_format::general, 15); }

std::optional<double> ParseReal(std::string_view text)
{
    text = text.substr(0, std::min(text.size(), MaxRealChars));
    return ParseWhole<double>(text, [](std::string_view t, std::size_t start) {
        const Scan scan = ScanReal(t, start);
        return std::pair{scan.Value, scan.End};
    });
}

std::string FormatInt(int32_t value) { return ToChars(value); }

std::optional<int32_t> ParseInt(std::string_view text)
{
    return ParseWhole<int32_t>(text, [](std::string_view t, std::size_t start) {
        const IntScan scan = ScanInt(t, start);
        return std::pair{scan.Value, scan.End};
    });
}

std::string FormatFixed1(double value) { return ToChars(value, std::chars_format::fixed, 1); }

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator)
{
    if (denominator == 0)
        return -1;
    const int64_t product = int64_t{number} * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const uint64_t p = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
    const uint64_t d = denominator < 0 ? 0 - static_cast<uint64_t>(int64_t{denominator})
                                       : static_cast<uint64_t>(denominator);
    const uint64_t quotient = (p + d / 2) / d;
    if (quotient > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return -1;
    const auto q = static_cast<int32_t>(quotient);
    return negative ? -q : q;
}

int32_t FontDialogHeight(int32_t points, int32_t pixelsPerInch) { return -MulDiv(points, pixelsPerInch, 72); }

double LineHeightReadout(double pitch, double chordZone, double upperMargin, double lowerMargin,
                         double tripletZone)
{
    return 5 * pitch + chordZone + upperMargin + lowerMargin + tripletZone;
}

int32_t LinesPerPageReadout(double pageHeight, double marginTop, double marginBottom, double lineHeight)
{
    return TruncSat((pageHeight - marginTop - marginBottom) / lineHeight);
}
}  // namespace DataExchange
