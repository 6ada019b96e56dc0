// The settings pages' field texts: how reals and integers are shown and which texts are
// read back, the font dialog's starting height and the TAB page's read-outs.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "settings/DataExchange.h"

using namespace DataExchange;

namespace
{
struct RealCase
{
    const char* Text;
    std::optional<double> Expected;
};

struct IntCase
{
    const char* Text;
    std::optional<int32_t> Expected;
};

constexpr double Inf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(DataExchange, RealsShowUpToFifteenSignificantDigits)
{
    EXPECT_EQ(FormatReal(20.0), "20");
    EXPECT_EQ(FormatReal(2.5), "2.5");
    EXPECT_EQ(FormatReal(0.45), "0.45");
    EXPECT_EQ(FormatReal(210.01), "210.01");
    EXPECT_EQ(FormatReal(-1.0), "-1");
    EXPECT_EQ(FormatReal(0.0), "0");
    // 1.15 is not exact in binary, yet 15 digits show it as typed.
    EXPECT_EQ(FormatReal(1.15), "1.15");
    EXPECT_EQ(FormatReal(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatReal(123456789012345678.0), "1.23456789012346e+17");
    EXPECT_EQ(FormatReal(0.00001), "1e-05");
    EXPECT_EQ(FormatReal(1e300), "1e+300");
}

TEST(DataExchange, RealsIgnoreTheUserLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    // Where a locale with a decimal comma exists, it must change nothing.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(FormatReal(2.5), "2.5");
        EXPECT_EQ(ParseReal("2.5"), 2.5);
        EXPECT_EQ(ParseReal("2,5"), std::nullopt);
        EXPECT_EQ(FormatFixed1(39.5), "39.5");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(ParseReal("2.5"), 2.5);
}

TEST(DataExchange, RealTextsReadBack)
{
    const RealCase cases[] = {
        {"210", 210.0},
        {"2.5", 2.5},
        {"  2.5\t ", 2.5},
        {"\t-1.25", -1.25},
        {"+3", 3.0},
        {"1.", 1.0},
        {".5", 0.5},
        {"1e2", 100.0},
        {"1.5E-1", 0.15},
        {"0", 0.0},
        {"0.0", 0.0},
        {"00", 0.0},
        {" 0 ", 0.0},
        {"0e5", 0.0},
        {"1.15", 1.15},
        // Overflow gives an infinite value (accepted); underflow gives 0 (refused).
        {"1e999", Inf},
        {"-1e999", -Inf},
        {"100000000000000000000e300", Inf},
        {"1e-999", std::nullopt},
        {"0.1e-999", 0.0},  // underflow, but written with a leading 0
        {"0e-999", 0.0},
        // Refused: empty, a zero not written with a leading '0', trailing text.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-0", std::nullopt},
        {"+0", std::nullopt},
        {".0", std::nullopt},
        {"-.0", std::nullopt},
        {"abc", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"2.5mm", std::nullopt},
        {"2.5 mm", std::nullopt},
        {"2 5", std::nullopt},
        {"0abc", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"2,5", std::nullopt},
        {"\n2", std::nullopt},
        {"\xEF\xBC\x92", std::nullopt},  // a full-width digit
    };
    for (const RealCase& c : cases)
        EXPECT_EQ(ParseReal(c.Text), c.Expected) << '"' << c.Text << '"';
}

TEST(DataExchange, RealFieldsReadOnlyTheirFirst31Characters)
{
    const std::string digits31 = "1234567890123456789012345678901";
    ASSERT_EQ(digits31.size(), MaxRealChars);
    // Whatever follows the 31st character is never seen.
    EXPECT_EQ(ParseReal(digits31 + "xyz"), 1234567890123456789012345678901.0);
    EXPECT_EQ(ParseReal("2.5" + std::string(28, ' ') + "junk"), 2.5);
    // Within the 31 characters it counts.
    EXPECT_EQ(ParseReal("2.5" + std::string(27, ' ') + "x"), std::nullopt);
    // An exponent cut off at the 31st character leaves a bare 'e': refused.
    EXPECT_EQ(ParseReal(std::string(30, '1') + "e5"), std::nullopt);
}

TEST(DataExchange, IntegerTextsReadBack)
{
    const IntCase cases[] = {
        {"2", 2},
        {" -3\t", -3},
        {"+7", 7},
        {"0", 0},
        {"000", 0},
        {"0012", 12},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        // Beyond 32 bits the value saturates, as the C library's conversion does.
        {"99999999999999999999", std::numeric_limits<int32_t>::max()},
        {"-99999999999999999999", std::numeric_limits<int32_t>::min()},
        {"", std::nullopt},
        {"-0", std::nullopt},
        {"+0", std::nullopt},
        {"2.5", std::nullopt},
        {"2.", std::nullopt},
        {"1e2", std::nullopt},
        {"12pt", std::nullopt},
        {"x", std::nullopt},
        {"-", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(ParseInt(c.Text), c.Expected) << '"' << c.Text << '"';
    EXPECT_EQ(FormatInt(2), "2");
    EXPECT_EQ(FormatInt(-40), "-40");
    EXPECT_EQ(FormatInt(std::numeric_limits<int32_t>::min()), "-2147483648");
}

TEST(DataExchange, FontDialogHeightRoundsLikeMulDiv)
{
    EXPECT_EQ(FontDialogHeight(12, 96), -16);
    EXPECT_EQ(FontDialogHeight(9, 96), -12);
    EXPECT_EQ(FontDialogHeight(10, 96), -13);  // 13.33
    EXPECT_EQ(FontDialogHeight(11, 96), -15);  // 14.67
    EXPECT_EQ(FontDialogHeight(3, 12), -1);    // 0.5 rounds away from zero
    EXPECT_EQ(FontDialogHeight(-3, 12), 1);
    EXPECT_EQ(FontDialogHeight(0, 96), 0);
    EXPECT_EQ(MulDiv(5, 3, -2), -8);  // -7.5
    EXPECT_EQ(MulDiv(-5, -3, 2), 8);
    // Division by zero and overflow give -1.
    EXPECT_EQ(MulDiv(12, 96, 0), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 96, 72), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::min(), -1, 1), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 72, 72), std::numeric_limits<int32_t>::max());
}

TEST(DataExchange, TabPageReadouts)
{
    const double defaults = LineHeightReadout(2.5, 4.5, 10.0, 10.0, 2.5);
    EXPECT_EQ(defaults, 39.5);
    EXPECT_EQ(FormatFixed1(defaults), "39.5");
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, defaults), 6);  // 6.46
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, -39.5), -6);    // toward zero
    EXPECT_EQ(FormatFixed1(-3.06), "-3.1");
    // A line of no height gives no sensible count, but never a crash.
    EXPECT_EQ(LineHeightReadout(0, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, 0.0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(LinesPerPageReadout(0.0, 0.0, 0.0, 0.0), 0);  // 0 / 0
    EXPECT_EQ(LinesPerPageReadout(1e300, -1e300, 0.0, 1e-300), std::numeric_limits<int32_t>::max());
}
