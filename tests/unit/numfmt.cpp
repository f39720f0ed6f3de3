// The output number format: rounding to five decimals and fixed notation.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

TEST(NumberFormat, TableOfExamples)
{
    EXPECT_EQ(numtext(2), "2");
    EXPECT_EQ(numtext(1.5), "1.5");
    EXPECT_EQ(numtext(-0.5), "-0.5");
    EXPECT_EQ(numtext(0.333333), "0.33333");
    EXPECT_EQ(numtext(2.000004), "2");
    EXPECT_EQ(numtext(2.0000051), "2.00001");
    EXPECT_EQ(numtext(-1.0000051), "-1.00001");
    EXPECT_EQ(numtext(-0.000004), "0");
    EXPECT_EQ(numtext(12345.678916), "12345.67892");
}

TEST(NumberFormat, SmallMagnitudesAreFixedNotation)
{
    EXPECT_EQ(numtext(0.00003), "0.00003");
    EXPECT_EQ(numtext(-0.0000051), "-0.00001");
    EXPECT_EQ(numtext(0.00001), "0.00001");
    EXPECT_EQ(numtext(0.000095), "0.0001");
    EXPECT_EQ(numtext(0.00009), "0.00009");
    EXPECT_EQ(numtext(0.0001), "0.0001");
    EXPECT_EQ(numtext(0.0000049), "0");
    EXPECT_EQ(numtext(0.000005), "0.00001");
}

// Every count of hundred-thousandths from -20000 to 20000 (the band where
// general format would switch to exponents included) gives the text that
// rounding then twelve significant digits give, with no exponent.
TEST(NumberFormat, AgreesWithGeneralFormatWithoutExponent)
{
    for (int n = -20000; n <= 20000; ++n) {
        double x = n * 0.00001;
        std::string got = numtext(x);
        ASSERT_EQ(got.find('e'), std::string::npos) << n;
        char want[40];
        std::snprintf(want, sizeof want, "%.12g", value(x));
        if (std::string(want).find('e') == std::string::npos) {
            ASSERT_EQ(got, want) << n;
        } else {
            ASSERT_LT(std::fabs(std::atof(got.c_str()) - value(x)), 1e-15) << n;
            ASSERT_EQ(got.substr(0, got[0] == '-' ? 7 : 6), n < 0 ? "-0.0000" : "0.0000") << n;
        }
    }
}

TEST(NumberFormat, LargeValuesKeepTwelveDigitsInFixedNotation)
{
    EXPECT_EQ(numtext(21474.83648), "21474.83648");
    EXPECT_EQ(numtext(-30000.5), "-30000.5");
    EXPECT_EQ(numtext(1234567.891234), "1234567.89123");
    EXPECT_EQ(numtext(12345678.123456), "12345678.1235");
    EXPECT_EQ(numtext(1e12), "1000000000000");
    EXPECT_EQ(numtext(-2.5e15), "-2500000000000000");
    EXPECT_EQ(numtext(123456789012345.0), "123456789012000");
    EXPECT_EQ(numtext(1e30), "1000000000000000000000000000000");
}

TEST(NumberFormat, ValueRoundsHalfAwayFromZero)
{
    EXPECT_DOUBLE_EQ(value(0.5), 0.5);
    EXPECT_DOUBLE_EQ(value(-0.5), -0.5);
    EXPECT_EQ(value(0.0000049), 0.0);
    EXPECT_FALSE(std::signbit(value(-0.0000049)));
    EXPECT_DOUBLE_EQ(value(-0.0000051), -0.00001);
    EXPECT_DOUBLE_EQ(value(30000.123456), 30000.12346);   // past the 32-bit count
}

TEST(PictureHeader, ExtentsAndMargins)
{
    std::string out;
    stfile(Extents{}, 0, 0, 0, 0, out);
    EXPECT_EQ(out, "\\begin{picture}(0,0)(0,0)\n");
    Extents e;
    e.xmax = 2;
    e.ymax = 1;
    stfile(e, 0.2, 0.2, 0.5, 0.5, out);
    EXPECT_EQ(out, "\\begin{picture}(3,1.4)(-0.5,-0.2)\n");
    e = Extents{};
    e.xmin = -1;
    stfile(e, 0, 0, 0, 0, out);
    EXPECT_EQ(out, "\\begin{picture}(1,0)(0,0)\n");
}

TEST(Extents, EachExtentTakesItsOwnCandidate)
{
    Extents e;
    minmax(1, 2, -3, -4, e);
    minmax(0.5, 5, -1, -6, e);
    EXPECT_EQ(e.xmax, 1);
    EXPECT_EQ(e.ymax, 5);
    EXPECT_EQ(e.xmin, -3);
    EXPECT_EQ(e.ymin, -6);
}

// ------------------------------------------------ the digits against "%.12g"

namespace {

std::string slow(double x)
{
    std::string s;
    fmtslow(x, s);
    return s;
}

// fmtnum writes exactly what the definition gives: its own digits where it
// has them, the definition's elsewhere.
void same(double x)
{
    std::string got;
    fmtnum(x, got);
    ASSERT_EQ(got, slow(x)) << std::hexfloat << x << std::defaultfloat << " = " << x;
}

}  // namespace

// The definition itself: where "%.12g" shows no exponent its text stands;
// where it does, the fixed text has the same value and no exponent.
TEST(NumberFormat, SlowPathIsGeneralFormatWithoutExponent)
{
    const double xs[] = {0, 1, -1, 0.5, 123456.78901, 1e-5, 3e-5, -9e-5, 0.0001, 1e7, 1.5e13,
                         -2.5e15, 1e30, 1e300, -1.7976931348623157e308, 21474.83648};
    for (double x : xs) {
        char g[40];
        std::snprintf(g, sizeof g, "%.12g", value(x));
        std::string s = slow(x);
        EXPECT_EQ(s.find('e'), std::string::npos) << x;
        if (std::string(g).find('e') == std::string::npos)
            EXPECT_EQ(s, g) << x;
        else
            EXPECT_EQ(std::strtod(s.c_str(), nullptr), std::strtod(g, nullptr)) << x;
    }
}

// Every count of hundred-thousandths up to 5 * 10^5 either side of zero, the
// rounding edge of each (half a unit above it) and the neighbours of that edge.
TEST(NumberFormat, FastDigitsEqualTheDefinitionOnEveryCount)
{
    for (int n = -500000; n <= 500000; ++n) {
        double x = n * 0.00001;
        same(x);
        if (n % 7 == 0) {
            double edge = (n + 0.5) * 0.00001;
            same(edge);
            same(std::nextafter(edge, -INFINITY));
            same(std::nextafter(edge, INFINITY));
        }
        if (HasFatalFailure())
            return;
    }
}

// Random values over every magnitude the format meets and beyond, with the
// rounding edges near them, the band below 10^-4 where "%.12g" would use an
// exponent, and the edge at 10^7 where fmtnum hands over to the definition.
TEST(NumberFormat, FastDigitsEqualTheDefinitionOverTheWholeRange)
{
    std::mt19937_64 rng(0xf3a7);
    auto unit = [&rng] { return std::uniform_real_distribution<double>(0, 1)(rng); };
    for (int k = 0; k < 300000; ++k) {
        double mag = std::pow(10.0, -9 + unit() * 25);   // 1e-9 .. 1e16
        double x = (rng() & 1) ? -mag * unit() : mag * unit();
        same(x);
        double edge = (std::trunc(x * 100000) + (x < 0 ? -0.5 : 0.5)) / 100000;
        same(edge);
        same(std::nextafter(edge, 0.0));
        same(std::nextafter(edge, 2 * edge));
        if (HasFatalFailure())
            return;
    }
    for (double b : {1e7, 1e7 - 0.000005, 1e7 - 0.00001, 9999999.999995, 0.00001, 0.000005,
                     0.0000049999, 0.0001, 0.00009999, 0.000095}) {
        double x = b;
        for (int j = 0; j < 64; ++j) {
            same(x);
            same(-x);
            x = std::nextafter(x, INFINITY);
        }
        x = b;
        for (int j = 0; j < 64; ++j) {
            same(x);
            same(-x);
            x = std::nextafter(x, 0.0);
        }
    }
    for (double x : {0.0, -0.0, 1e12, 1e15, 1e30, 1e300, 1.7976931348623157e308, 4.9e-324,
                     -4.9e-324, 2.2250738585072014e-308})
        same(x);
}

// Every five-decimal fraction (each way its trailing zeros can fall) after
// integer parts of every width the digit writing has, either sign, and the
// rounding edge beside each: the same text as the definition, and never
// longer than the room the writers make for it.
TEST(NumberFormat, EveryFractionAfterEveryWidthOfIntegerPart)
{
    for (double whole : {0.0, 7.0, 10.0, 99.0, 100.0, 999.0, 1000.0, 9999.0, 10000.0, 99999.0,
                         100000.0, 999999.0, 1000000.0, 9999999.0}) {
        int stride = whole == 0 || whole == 99 || whole == 9999999 ? 1 : 7;
        for (int f = 0; f < 100000; f += stride) {
            for (double x : {whole + f * 0.00001, -(whole + f * 0.00001),
                             whole + (f + 0.5) * 0.00001}) {
                same(x);
                char text[MAXNUM];
                ASSERT_LE(static_cast<std::size_t>(fmtnum(x, text) - text), numroom(x)) << x;
            }
            if (HasFatalFailure())
                return;
        }
    }
    for (double x : {1e7, -1e7, 1e300, double{INFINITY}, -double{INFINITY}, double{NAN}}) {
        char text[MAXNUM];
        ASSERT_LE(static_cast<std::size_t>(fmtnum(x, text) - text), numroom(x)) << x;
    }
}
