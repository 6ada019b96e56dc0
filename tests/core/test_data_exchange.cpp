// The settings pages' field texts: how reals and integers are shown and which texts are
// read back, the font dialog's starting height and the TAB page's read-outs.
#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <optional>
#include <string>

#include "settings/DataExchange.h"

using namespace DataExchange;

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t IntMin = std::numeric_limits<int32_t>::min();

TEST(DataExchange, RealsShowUpToFifteenSignificantDigits)
{
    const std::pair<double, const char*> cases[] = {
        {20.0, "20"}, {0.45, "0.45"}, {-1.0, "-1"}, {1.15, "1.15"}, {1.0 / 3.0, "0.333333333333333"},
        {123456789012345678.0, "1.23456789012346e+17"}, {0.00001, "1e-05"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatReal(value), text);
}

TEST(DataExchange, RealsIgnoreTheUserLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    // Where a locale with a decimal comma exists, it must change nothing.
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(FormatReal(2.5), "2.5");
    EXPECT_EQ(ParseReal("2.5"), 2.5);
    EXPECT_EQ(ParseReal("2,5"), std::nullopt);
    EXPECT_EQ(FormatFixed1(39.5), "39.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(DataExchange, RealTextsReadBack)
{
    const std::pair<const char*, double> accepted[] = {
        {"  2.5\t ", 2.5}, {"\t-1.25", -1.25}, {"+3", 3.0}, {"1.", 1.0}, {".5", 0.5}, {"1.5E-1", 0.15},
        {"00", 0.0}, {" 0 ", 0.0}, {"0e5", 0.0},
        // Overflow gives an infinite value; an underflow written with a leading 0 gives 0.
        {"1e999", Inf}, {"-1e999", -Inf}, {"100000000000000000000e300", Inf}, {"0.1e-999", 0.0},
        // Only the first 31 characters are read.
        {"1111111111111111111111111111111xyz", 1111111111111111111111111111111.0}, {"2.5                            junk", 2.5}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(ParseReal(text), value) << '"' << text << '"';
    // Empty, a zero not written with a leading '0' (also by underflow), trailing text,
    // forms the C library would take but a field does not.
    for (const char* text : {"", "   ", "-0", "+0", ".0", "1e-999", ".", "+-1", "2 5", "2.5mm", "0abc", "1e",
                             "0x10", "inf", "nan", "2,5", "\n2", "\xEF\xBC\x92",
                             // Cut at 31 characters: a stray 'x', a bare exponent 'e'.
                             "2.5                           x", "111111111111111111111111111111e5"})
        EXPECT_EQ(ParseReal(text), std::nullopt) << '"' << text << '"';
}

TEST(DataExchange, IntegerTextsReadBack)
{
    const std::pair<const char*, int32_t> accepted[] = {
        {" -3\t", -3}, {"+7", 7}, {"000", 0}, {"0012", 12}, {"2147483647", IntMax}, {"-2147483648", IntMin},
        // Beyond 32 bits the value saturates, as the C library's conversion does.
        {"99999999999999999999", IntMax}, {"-99999999999999999999", IntMin}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(ParseInt(text), value) << '"' << text << '"';
    for (const char* text : {"", "-0", "+0", "2.5", "2.", "1e2", "12pt", "-", "1 2"})
        EXPECT_EQ(ParseInt(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(FormatInt(IntMin), "-2147483648");
}

TEST(DataExchange, FontDialogHeightRoundsLikeMulDiv)
{
    EXPECT_EQ(FontDialogHeight(12, 96), -16);
    EXPECT_EQ(FontDialogHeight(10, 96), -13);  // 13.33
    EXPECT_EQ(FontDialogHeight(3, 12), -1);    // 0.5 rounds away from zero
    EXPECT_EQ(FontDialogHeight(-3, 12), 1);
    EXPECT_EQ(MulDiv(5, 3, -2), -8);
    EXPECT_EQ(MulDiv(-5, -3, 2), 8);
    // Division by zero and overflow give -1.
    EXPECT_EQ(MulDiv(12, 96, 0), -1);
    EXPECT_EQ(MulDiv(IntMax, 96, 72), -1);
    EXPECT_EQ(MulDiv(IntMin, -1, 1), -1);
    EXPECT_EQ(MulDiv(IntMax, 72, 72), IntMax);
}

TEST(DataExchange, TabPageReadouts)
{
    const double defaults = LineHeightReadout(2.5, 4.5, 10.0, 10.0, 2.5);
    EXPECT_EQ(FormatFixed1(defaults), "39.5");
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, defaults), 6);  // 6.46
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, -39.5), -6);    // toward zero
    EXPECT_EQ(FormatFixed1(-3.06), "-3.1");
    // A line of no height gives no sensible count, but never a crash.
    EXPECT_EQ(LinesPerPageReadout(290.0, 15.0, 20.0, 0.0), IntMax);
    EXPECT_EQ(LinesPerPageReadout(0.0, 0.0, 0.0, 0.0), 0);  // 0 / 0
    EXPECT_EQ(LinesPerPageReadout(1e300, -1e300, 0.0, 1e-300), IntMax);
}
