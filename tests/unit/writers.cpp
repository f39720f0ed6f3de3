// The segment writers: solid lines, slopes, integers and the dashed form.
#include "quillard.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Subline, LineAndVector)
{
    std::string out;
    subline(0, "1", "2", "1", "0", "0.5", out);
    subline(1, "1", "2", "1", "0", "0.5", out);
    EXPECT_EQ(out, "\\put(1,2){\\line(1,0){0.5}}\n\\put(1,2){\\vector(1,0){0.5}}\n");
}

TEST(Slopes, HorizontalAndVertical)
{
    std::string sx, sy, len;
    linep(3, 1, sx, sy, len);
    EXPECT_EQ(sx + "," + sy + "," + len, "-1,0,2");
    linep(1, 1, sx, sy, len);
    EXPECT_EQ(sx + "," + sy + "," + len, "1,0,0");
    linev(2, 2, sx, sy, len);
    EXPECT_EQ(sx + "," + sy + "," + len, "0,1,0");
    linev(2, -0.5, sx, sy, len);
    EXPECT_EQ(sx + "," + sy + "," + len, "0,-1,2.5");
}

TEST(Itoa, DecimalTextAndReverse)
{
    std::string s;
    EXPECT_EQ(itoa(0, s, 10), "0");
    EXPECT_EQ(itoa(-1, s, 10), "-1");
    EXPECT_EQ(itoa(100, s, 10), "100");
    EXPECT_EQ(itoa(INT_MIN, s, 10), "-2147483648");
    s = "keep";
    EXPECT_EQ(itoa(5, s, -1), "keep");
    std::string r = "abc";
    reverse(r);
    EXPECT_EQ(r, "cba");
    r = "x";
    reverse(r);
    EXPECT_EQ(r, "x");
    r.clear();
    reverse(r);
    EXPECT_EQ(r, "");
}

TEST(Dashed, WorkedExamples)
{
    std::string out;
    dashed(1, 2, 0, 1, 0, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(1,2){\\line(1,0){0.05}} \\multiput(1.05,2)(0.2,0){4}{\\line(1,0){0.1}} "
                   "\\put(1.85,2){\\line(1,0){0.15}}\n");
    out.clear();
    dashed(1, 2, 0, 1, 1, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(1,2){\\line(1,0){0.08}} \\multiput(1.08,2)(0.2,0){3}{\\line(1,0){0.1}} "
                   "\\put(1.68,2){\\vector(1,0){0.32}}\n");
    out.clear();
    dashed(1, 2, 2, 1, 0, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(1,2){\\line(-1,0){0.05}} \\multiput(0.95,2)(-0.2,0){4}{\\line(-1,0){0.1}} "
                   "\\put(0.15,2){\\line(-1,0){0.15}}\n");
}

TEST(Dashed, ShortSegmentsGetANegativeCount)
{
    std::string out;
    dashed(1, 2, 0, 0.05, 0, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(1,2){\\line(1,0){0.075}} \\multiput(1.075,2)(0.2,0){-1}{\\line(1,0){0.1}} "
                   "\\put(0.875,2){\\line(1,0){0.175}}\n");
    out.clear();
    dashed(0, 0, 1, 0, 0, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(0,0){\\line(0,1){0.05}} \\multiput(0,0.05)(0,0.2){-1}{\\line(0,1){0.1}} "
                   "\\put(0,-0.15){\\line(0,1){0.15}}\n");
}

TEST(Dashed, MinusPrefixTakesTwoLinesDownwardsNegatesTheOffset)
{
    std::string out;
    dashed(0, 1, 3, 1, 1, 1, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(0,1){\\line(0,-1){0.08}}\n \\multiput(0,0.92)(0,-0.2){3}{\\line(0,-1){0.1}} "
                   "\\put(0,0.32){\\vector(0,-1){0.32}}\n");
}

TEST(Dashed, ExactMultipleFollowsDoubleArithmetic)
{
    std::string out;
    dashed(0, 0, 0, 0.9, 0, 0, 0.14, 0.1, 0.1, out);
    EXPECT_EQ(out, "\\put(0,0){\\line(1,0){0}} \\multiput(0,0)(0.2,0){4}{\\line(1,0){0.1}} "
                   "\\put(0.8,0){\\line(1,0){0.1}}\n");
}

TEST(Dashed, NoPositiveStepStillEndsAtTheHead)
{
    std::string out;
    dashed(0, 0, 0, 1, 0, 0, 0.14, 0.1, -0.1, out);
    EXPECT_EQ(out, "\\put(0,0){\\line(1,0){0.45}} \\multiput(0.45,0)(0,0){0}{\\line(1,0){0.1}} "
                   "\\put(0.45,0){\\line(1,0){0.55}}\n");
    out.clear();
    dashed(0, 0, 0, 1e30, 0, 0, 0.14, 0.1, 0.1, out);   // more dashes than an int counts
    EXPECT_NE(out.find("){0}{"), std::string::npos);
}

// A line longer than a writer's own room is made in the string itself, and
// reads the same as a short one; numbers of 10^7 and more take more room.
TEST(Writers, LongLinesAndLargeNumbersAreWrittenWhole)
{
    std::string out = "kept ";
    std::string text(Room::LOCAL + 100, 'x');
    dbox(0, 0.1, 1.5, -2, "3", "4", text, out, 0);
    EXPECT_EQ(out, "kept \\put(1.5,-2){\\framebox(3,4){" + text + "}}\n");
    out.clear();
    subline(1, 1e300, -2.5e15, -1, 0, 12345678.5, out);
    EXPECT_EQ(out, "\\put(1" + std::string(300, '0') +
                       ",-2500000000000000){\\vector(-1,0){12345678.5}}\n");
    out.clear();
    subline(0, 0.25, 3, 0, -1, std::string_view("$len"), out);
    EXPECT_EQ(out, "\\put(0.25,3){\\line(0,-1){$len}}\n");
}
