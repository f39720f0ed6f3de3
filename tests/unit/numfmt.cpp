// The output number format: rounding to five decimals and fixed notation.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

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
