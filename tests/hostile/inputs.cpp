// Hostile source texts, translated in memory: NUL bytes, foreign line
// endings, overlong lines, full tables, overlong and huge numbers, names of
// every byte value and text that is not UTF-8.  Each case asserts what the
// translator must do; none may crash it.
#include "common.h"
#include "fuzzinput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using hostile::count;
using hostile::EMPTY;
using hostile::picture;
using hostile::tr;
using fuzzinput::fixednumber;

namespace {

using namespace std::string_literals;

// ------------------------------------------------------------- NUL bytes

TEST(NulBytes, LineWithNulIsASyntaxErrorAndKeepsItsPlace)
{
    // Each line, and the indentation it writes in place of its LaTeX.
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"\0r (1)\n"s, ""},          {"r (\0" "1)\n"s, ""},        {"r (1)\0\n"s, ""},
        {"r (1) %% a\0b\n"s, ""},    {"%\\put(0,0)\0{x}\n"s, ""}, {"%% remark\0\n"s, ""},
        {"b (1, 1, \"\0\")\n"s, ""}, {"c (\"a\0b\")\n"s, ""},     {"n (A\0)\n"s, ""},
        {"$w\0 = 1\n"s, ""},         {"\\t = 1\0\n"s, ""},         {"\0\n"s, ""},
        {"r (1)\0"s, ""},             {"\0"s, ""},                  {"   \0   \n"s, "   "},
        {"\t r\0\n"s, "\t "},
    };
    for (const auto& [line, indent] : lines) {
        SCOPED_TRACE(testing::PrintToString(line));
        auto t = tr(line);
        EXPECT_EQ(t.status, 1);
        EXPECT_EQ(t.out, picture("(0,0)(0,0)", indent + "\n"))
            << "the line writes its indentation and a newline, like any syntax error";
        EXPECT_EQ(count(t.transcript, "\nSyntax error in [1]\n"), 2u) << t.transcript;
    }
}

TEST(NulBytes, NeighbouringLinesAreTranslatedAndNumberedAsUsual)
{
    auto t = tr("r (1)\nr (\0" "5)\n\0\nu (1)\n"s);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.out, picture("(1,1)(0,0)",
                             "\\put(0,0){\\line(1,0){1}}\n"
                             "\n"
                             "\n"
                             "\\put(1,0){\\line(0,1){1}}\n"));
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [2]\n"), 2u);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [3]\n"), 2u);
    EXPECT_EQ(count(t.transcript, "Syntax error"), 4u);
    EXPECT_NE(t.transcript.find("[4]"), std::string::npos);
}

TEST(NulBytes, ConfigurationLineWithNulIsAnErrorAndNotApplied)
{
    auto t = tr("", "\\t = 1\0\n\\l = 2\n"s);
    EXPECT_EQ(t.status, 1);
    EXPECT_NE(t.transcript.find("Configuration file error"), std::string::npos);
    EXPECT_EQ(t.out, picture("(2,0)(-2,0)", ""))
        << "the left margin of the clean line applies, the top margin does not";
}

// ---------------------------------------------------------- line endings

// A file saved with Windows line ends translates exactly as its twin with
// plain newlines: the same picture (with plain newlines), the same messages,
// the same cuts of overlong lines.
TEST(LineEndings, CrLfSourceTranslatesAsItsLfTwin)
{
    const std::vector<std::string> sources = {
        "k (A)\nr (1)\nR!(1)\nb (1, 1, \"A\")\nc (\"A\")\ns ()\np\nx (1)\ng (A)\nt (u)\n"
        "$w = 1\n\\a = 1\n\\a\n\n   \nR ($w)\n",
        "r (1) %% note\n%\\put(\"&){x}\n%% remark\n",
        "R (1)\nU (1)\nL (1)\nD (1)\nZ (1)\ng (Q)\n",
        std::string(1000, 'x') + "\n" + std::string(1001, 'y') + "\n" + std::string(1002, 'z') +
            "\nr (1)\n",
        "r (1)\nu (1)",   // the last line without its newline
    };
    for (const auto& lf : sources) {
        std::string crlf;
        for (char ch : lf)
            crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        SCOPED_TRACE(testing::PrintToString(lf.substr(0, 60)));
        for (const auto& src : {crlf, "\xef\xbb\xbf" + crlf, "\xef\xbb\xbf" + lf}) {
            auto twin = tr(lf), t = tr(src);
            EXPECT_EQ(t.status, twin.status);
            EXPECT_EQ(t.out, twin.out);
            EXPECT_EQ(t.transcript, twin.transcript);
            EXPECT_EQ(t.out.find('\r'), std::string::npos);
        }
    }
}

TEST(LineEndings, CarriageReturnAnywhereElseStaysInTheLine)
{
    auto t = tr("r (1)\r \nr (1) %% a\rb\r\n%\\put(\"&){x}\r\r\n");
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [1]\n"), 2u);
    EXPECT_EQ(t.out, picture("(1,0)(0,0)",
                             "\n"
                             "\\put(0,0){\\line(1,0){1}}\n"
                             "\\put(1,0){x}\r\n"));
}

TEST(LineEndings, LoneCarriageReturnsDoNotSeparateLines)
{
    auto t = tr("r (1)\ru (1)\r");
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [1]\n"), 2u);
    EXPECT_EQ(t.transcript.find("[2]"), std::string::npos);
}

// ------------------------------------------------------------ long lines

TEST(LongLines, TenMegabyteLineComesInNumberedPiecesThatWriteNothing)
{
    const std::size_t total = 10u * 1024 * 1024 + 1;   // newline included
    std::string src(total - 1, 'x');
    src += '\n';
    Options opt;
    opt.nopt = 1;
    auto t = tr(src, {}, opt);
    const std::size_t full = total / MAXREAD;          // pieces of 1002
    const std::size_t rest = total % MAXREAD;
    ASSERT_GT(rest, 1u);   // the last piece is 'x...x' and the newline
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "Too long line in input file at ["), 2 * full);
    const std::string last = "[" + std::to_string(full + 1) + "]";
    EXPECT_EQ(count(t.transcript, "\nSyntax error in " + last + "\n"), 2u);
    EXPECT_EQ(count(t.transcript, "(" + std::to_string(full + 1) + " lines)"), 2u);
    EXPECT_EQ(t.out, picture("(0,0)(0,0)", "\n")) << "only the last piece, an error 1, "
                                                     "leaves its empty line";
}

TEST(LongLines, LineOf1000CharactersIsAcceptedAnd1001AreTooLong)
{
    auto ok = tr("%%" + std::string(998, 'a') + "\n");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, picture("(0,0)(0,0)", "%" + std::string(998, 'a') + "\n"));

    auto bad = tr("%%" + std::string(999, 'a') + "\nr (1)\n");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(count(bad.transcript, "\nToo long line in input file at [1]\n"), 2u);
    EXPECT_EQ(bad.out, picture("(1,0)(0,0)", "\\put(0,0){\\line(1,0){1}}\n"));
}

TEST(LongLines, OverlongPieceNeverRepeatsTheOutputOfTheLineBefore)
{
    auto t = tr("r (1)\n" + std::string(MAXREAD, 'a') + "\nu (1)\n");
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nToo long line in input file at [2]\n"), 2u);
    // The newline left over from the long line is an empty line [3].
    EXPECT_EQ(t.out, picture("(1,1)(0,0)",
                             "\\put(0,0){\\line(1,0){1}}\n"
                             "\n"
                             "\\put(1,0){\\line(0,1){1}}\n"));
    EXPECT_NE(t.transcript.find("[4]"), std::string::npos);
}

// ---------------------------------------------------------------- tables

TEST(Tables, TwoHundredAndFirstLabelIsRefusedAndLookupsStillWork)
{
    std::string src;
    for (int j = 0; j <= 200; ++j)
        src += "n (L" + std::to_string(j) + ")\n";
    src += "g (L0)\ng (L199)\ng (L200)\n";
    auto t = tr(src);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nMemory for coordinate labels exhausted in [201]\n"), 1u)
        << "the table is filled in the first pass only";
    EXPECT_EQ(count(t.transcript, "\nUndefined label 'L200' in [204]\n"), 2u);
    EXPECT_EQ(count(t.transcript, "Undefined label"), 2u);
    EXPECT_EQ(t.out, picture("(0,0)(0,0)", "\n"));
}

TEST(Tables, TwoHundredAndFirstKnotIsStillDrawn)
{
    std::string src;
    for (int j = 0; j <= 200; ++j)
        src += "k (K" + std::to_string(j) + ")\nx (1)\n";
    auto t = tr(src);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "exhausted in [401]"), 1u);
    EXPECT_EQ(count(t.out, "\\circle*{0.08}"), 201u);
    EXPECT_NE(t.out.find("\\put(200,0){\\circle*{0.08}}\n"), std::string::npos);
}

TEST(Tables, TwoHundredLabelsAreAllFound)
{
    std::string src;
    for (int j = 0; j < 200; ++j)
        src += "n (L" + std::to_string(j) + ")\ny (1)\n";
    for (int j = 199; j >= 0; --j)
        src += "g (L" + std::to_string(j) + ")\n%\"@L" + std::to_string(j) + "\"\n";
    auto t = tr(src);
    EXPECT_EQ(t.status, 0) << t.transcript;
    std::string body;
    for (int j = 199; j >= 0; --j)
        body += "0," + std::to_string(j) + "\n";
    EXPECT_EQ(t.out, picture("(0,200)(0,0)", body));
}

TEST(Tables, TwoHundredAndFirstLengthIsRefusedEvenAsARedefinition)
{
    std::string src;
    for (int j = 0; j <= 200; ++j)
        src += "$w" + std::to_string(j) + " = " + std::to_string(j) + "\n";
    src += "$w0 = 5\nr ($w199)\nr ($w200)\nr ($w0)\n";
    auto t = tr(src);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nMemory for numerical labels exhausted in [201]\n"), 2u);
    EXPECT_EQ(count(t.transcript, "\nMemory for numerical labels exhausted in [202]\n"), 2u);
    EXPECT_EQ(count(t.transcript, "\nUndefined length '$w200' in [204]\n"), 2u);
    EXPECT_EQ(t.transcript.find("Redeclaration"), std::string::npos);
    EXPECT_EQ(t.out, picture("(199,0)(0,0)",
                             "\\put(0,0){\\line(1,0){199}}\n"
                             "\n"
                             "\\put(199,0){\\line(1,0){0}}\n"));
}

// --------------------------------------------------------------- numbers

std::string digits(std::size_t n)
{
    std::string s;
    for (std::size_t j = 0; j < n; ++j)
        s += static_cast<char>('1' + j % 9);
    return s;
}

TEST(Numbers, ThirtyDigitsAreAcceptedAndWrittenWithoutExponent)
{
    const std::string d30 = digits(30);
    auto t = tr("r (" + d30 + ")\n");
    EXPECT_EQ(t.status, 0) << t.transcript;
    // 123456789123456789123456789123 to 12 significant digits.
    EXPECT_EQ(t.out, picture("(123456789123000000000000000000,0)(0,0)",
                             "\\put(0,0){\\line(1,0){" + d30 + "}}\n"));

    auto neg = tr("x (-" + digits(29) + ")\n");
    EXPECT_EQ(neg.status, 0);
    EXPECT_EQ(neg.out, picture("(12345678912300000000000000000,0)(0,0)", ""));

    auto frac = tr("x (1234567890.1234567890123456789)\nc (\"\")\n");
    EXPECT_EQ(frac.status, 0);
    EXPECT_EQ(frac.out, picture("(1234567890.12,0)(0,0)",
                                "\\put(1234567890.12,0){\\makebox(0,0)[b]{}}\n"));
}

TEST(Numbers, ThirtyOneDigitsAreTooLongWherever)
{
    const std::string d31 = digits(31);
    const std::vector<std::string> lines = {
        "r (" + d31 + ")\n",          "-U!(" + d31 + ")\n",
        "b (" + d31 + ", 1, \"\")\n", "b (1, " + d31 + ", \"\")\n",
        "s (" + d31 + ")\n",          "x (" + d31 + ")\n",
        "Y (-" + digits(30) + ")\n",  "$w = " + d31 + "\n",
        "\\t = " + d31 + "\n",        "\\a = " + d31 + "\n",
        "r (0." + digits(29) + ")\n",
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line);
        auto t = tr(line);
        EXPECT_EQ(t.status, 1);
        EXPECT_EQ(count(t.transcript,
                        "\nToo long string for length specification in [1]\n"),
                  2u)
            << t.transcript;
        EXPECT_EQ(t.out, EMPTY) << "an operand error writes nothing";
    }
    auto conf = tr("", "\\t = " + d31 + "\n");
    EXPECT_EQ(conf.status, 1);
    EXPECT_NE(conf.transcript.find("Configuration file error"), std::string::npos);
    EXPECT_EQ(conf.out, EMPTY);
}

TEST(Numbers, TenThousandDigitsMakeAnOverlongLine)
{
    auto t = tr("r (" + digits(10000) + ")\nu (1)\n");
    // 10005 characters: nine pieces of 1002, then the digits left, ')' and
    // the newline, which begin with a digit.
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "Too long line in input file at ["), 18u);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [10]\n"), 2u);
    EXPECT_EQ(t.out, picture("(0,1)(0,0)", "\n\\put(0,0){\\line(0,1){1}}\n"));
}

TEST(Numbers, TenThousandDigitsHandedToTheScannersAreRefused)
{
    const std::string line = "r (" + digits(10000) + ")\n";
    Lengths none;
    std::string buf;
    int comma = 0, err = 0;
    std::size_t pos = 2;
    srlen(pos, line, buf, comma, err, ')', none);
    EXPECT_EQ(err, 10);
    EXPECT_LE(buf.size(), static_cast<std::size_t>(MAXNAME));

    err = 0;
    const std::string par = "\\a = " + digits(10000) + "\n";
    srpara(par.find('='), par, buf, none, err);
    EXPECT_EQ(err, 10);

    err = 0;
    Lengths len;
    setlen(0, "$w = " + digits(10000) + "\n", len, err);
    EXPECT_EQ(err, 10);
    EXPECT_EQ(len.nlen, 0);

    err = 0;
    std::string name;
    pos = 2;
    srlab(pos, "g (" + std::string(10000, 'n') + ")\n", name, err);
    EXPECT_EQ(err, 9);
    EXPECT_LE(name.size(), static_cast<std::size_t>(MAXNAME));
}

TEST(Numbers, CoordinatesBeyondThe32BitCountAreWrittenAsTheyAre)
{
    struct Case {
        std::string src, out;
    };
    const std::vector<Case> cases = {
        {"r (30000)\nc (\"x\")\n",
         picture("(30000,0)(0,0)", "\\put(0,0){\\line(1,0){30000}}\n"
                                   "\\put(15000,0.2){\\makebox(0,0)[b]{x}}\n")},
        {"r (123456789)\nc (\"x\")\n",
         picture("(123456789,0)(0,0)", "\\put(0,0){\\line(1,0){123456789}}\n"
                                       "\\put(61728394.5,0.2){\\makebox(0,0)[b]{x}}\n")},
        {"l (123456789)\n",
         picture("(123456789,0)(0,0)", "\\put(123456789,0){\\line(-1,0){123456789}}\n")},
        {"r (21474.83648)\nc (\"x\")\n",
         picture("(21474.83648,0)(0,0)", "\\put(0,0){\\line(1,0){21474.83648}}\n"
                                         "\\put(10737.41824,0.2){\\makebox(0,0)[b]{x}}\n")},
        {"x (21474.83647)\nr (0.00002)\n",
         picture("(21474.83649,0)(0,0)", "\\put(21474.83647,0){\\line(1,0){0.00002}}\n")},
        {"x (-21474.83649)\n", picture("(21474.83649,0)(0,0)", "")},
        {"x (12345678.123456)\n", picture("(12345678.1235,0)(0,0)", "")},
        {"d (99999999999999999999)\n",
         picture("(0,100000000000000000000)(0,0)",
                 "\\put(0,100000000000000000000){\\line(0,-1){99999999999999999999}}\n")},
        {"\\l = 30000\n\\b = 123456789\n", picture("(30000,123456789)(-30000,-123456789)", "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.src);
        auto t = tr(c.src);
        EXPECT_EQ(t.status, 0) << t.transcript;
        EXPECT_EQ(t.out, c.out);
    }
}

TEST(Numbers, HugeCountsOfDashesAndStaircaseStepsStayWellFormed)
{
    Options opt;
    opt.sopt = 1;
    auto t = tr("r!(" + digits(30) + ")\nU!(99999999999)\n-l!(123456789)\ns (" + digits(30) +
                    ")\n\\i = 0.00001\n\\o = 0.00001\nr!(100000)\n",
                {}, opt);
    EXPECT_EQ(t.status, 0) << t.transcript;
    EXPECT_FALSE(hostile::hasexponent(t.out)) << t.out;
    EXPECT_EQ(count(t.out, "\\multiput("), 5u);
    // 123456789 / 0.2 dashes still fit an int.
    EXPECT_NE(t.out.find("(-0.2,0){617283944}"), std::string::npos) << t.out;
}

TEST(Numbers, TinyValuesAreWrittenInFixedNotation)
{
    Options opt;
    opt.sopt = 1;
    auto t = tr("\\c = 0.00003\nr (1)\nc (\"t\")\ns (0.002)\ns (0.0001)\n\\c = -0.00009\n"
                "u (0.00004)\nc (\"u\")\n",
                {}, opt);
    EXPECT_EQ(t.status, 0) << t.transcript;
    EXPECT_FALSE(hostile::hasexponent(t.out)) << t.out;
    EXPECT_NE(t.out.find("\\put(0.5,0.00003){\\makebox(0,0)[b]{t}}\n"), std::string::npos)
        << t.out;
    EXPECT_NE(t.out.find("\\multiput(1,0)(0.00002,0.00001){100}{\\line(1,0){0.00002}}\n"),
              std::string::npos)
        << t.out;
    EXPECT_NE(t.out.find("\\put(1.00219,0.00002){\\makebox(0,0)[l]{u}}\n"), std::string::npos)
        << t.out;
}

// Over magnitudes from far below the fifth decimal to far beyond the 32-bit
// count, and around the places where the formatting changes its method,
// every number is written in fixed notation with the digits that rounding
// to five decimals and then to twelve significant digits give.
TEST(Numbers, FormattedNumbersAreFixedAndKeepTwelveDigits)
{
    std::vector<double> xs;
    std::mt19937_64 rng(0xf1eed);
    std::uniform_real_distribution<double> expo(-8, 31), unit(0, 1);
    for (int j = 0; j < 200000; ++j) {
        double x = std::pow(10.0, expo(rng));
        xs.push_back(unit(rng) < 0.5 ? -x : x);
    }
    for (double edge : {0.000005, 0.00001, 21474.83648, 1e7, 9999999.999995, 9999999.99999,
                        1e12, 9.0e13, 9.2e13, 1e15, 1e17}) {
        for (int k = -50; k <= 50; ++k) {
            double x = edge + k * std::max(1e-12, edge * 1e-15);
            xs.push_back(x);
            xs.push_back(-x);
        }
    }
    for (double x : xs) {
        const std::string got = numtext(x);
        std::size_t i = 0;
        ASSERT_TRUE(fixednumber(got, i) && i == got.size()) << x << " gives " << got;
        char want[64];
        std::snprintf(want, sizeof want, "%.12g", value(x));
        ASSERT_EQ(std::strtod(got.c_str(), nullptr), std::strtod(want, nullptr))
            << x << " gives " << got << ", twelve digits of it are " << want;
    }
}

// ------------------------------------------------------------ byte names

bool labelbyte(unsigned char b)
{
    return !(b == '(' || b == ')' || b == '=' || b == '$' || b == ',' || b == '"' || b == '\n');
}

TEST(ByteNames, EveryByteInsideALabelName)
{
    for (int v = 1; v <= 255; ++v) {
        const char b = static_cast<char>(v);
        SCOPED_TRACE("byte " + std::to_string(v));
        auto t = tr("x (1)\nn (A"s + b + ")\nx (1)\ng (A" + b + ")\nc (\"\")\n");
        if (labelbyte(static_cast<unsigned char>(v))) {
            EXPECT_EQ(t.status, 0) << t.transcript;
            EXPECT_EQ(t.out, picture("(2,0)(0,0)", "\\put(1,0.2){\\makebox(0,0)[b]{}}\n"));
        } else {
            EXPECT_EQ(t.status, 1);
            EXPECT_NE(t.transcript.find("Syntax error"), std::string::npos);
        }
    }
}

TEST(ByteNames, EveryByteStartingALabelName)
{
    for (int v = 1; v <= 255; ++v) {
        const char b = static_cast<char>(v);
        SCOPED_TRACE("byte " + std::to_string(v));
        auto t = tr("x (1)\nk ("s + b + "z)\nx (1)\ng (" + b + "z)\nc (\"\")\n");
        const bool first = !((b >= '0' && b <= '9') || b == '.' || b == '-' || b == '$' ||
                             b == '=');
        if (labelbyte(static_cast<unsigned char>(v)) && first) {
            EXPECT_EQ(t.status, 0) << t.transcript;
            EXPECT_EQ(t.out, picture("(2,0)(0,0)", "\\put(1,0){\\circle*{0.08}}\n"
                                                   "\\put(1,0.2){\\makebox(0,0)[b]{}}\n"));
        } else {
            EXPECT_EQ(t.status, 1);
        }
    }
}

TEST(ByteNames, EveryByteInsideALengthName)
{
    for (int v = 1; v <= 255; ++v) {
        const char b = static_cast<char>(v);
        SCOPED_TRACE("byte " + std::to_string(v));
        auto t = tr("$w"s + b + " = 1.50\nr ($w" + b + ")\n");
        if (labelbyte(static_cast<unsigned char>(v))) {
            EXPECT_EQ(t.status, 0) << t.transcript;
            EXPECT_EQ(t.out, picture("(1.5,0)(0,0)", "\\put(0,0){\\line(1,0){1.50}}\n"));
        } else {
            EXPECT_EQ(t.status, 1);
        }
    }
}

// All the bytes that a name may hold, in names of 30, defined, used by
// every command that looks a name up, and echoed in messages byte for byte.
TEST(ByteNames, AllNameBytesTogether)
{
    std::string pool;
    for (int v = 1; v <= 255; ++v)
        if (labelbyte(static_cast<unsigned char>(v)) && v != ' ' && v != '\t')
            pool += static_cast<char>(v);
    std::vector<std::string> names;
    for (std::size_t at = 0; at < pool.size(); at += 29)
        names.push_back("N" + pool.substr(at, 29));
    ASSERT_GE(names.size(), 8u);

    std::string src, body;
    for (std::size_t j = 0; j < names.size(); ++j)
        src += "x (1)\nk (" + names[j] + ")\n$" + names[j] + " = " + std::to_string(j) + "\n";
    for (std::size_t j = 0; j < names.size(); ++j) {
        src += "g (" + names[j] + ")\n%\"@" + names[j] + "\";\"$" + names[j] + "\"\n";
        src += "u (" + names[j] + ")\nr ($" + names[j] + ")\n";
        body += "\\put(" + std::to_string(j + 1) + ",0){\\circle*{0.08}}\n";
    }
    auto t = tr(src);
    EXPECT_EQ(t.status, 0) << t.transcript;
    std::string after;
    for (std::size_t j = 0; j < names.size(); ++j) {
        const auto x = std::to_string(j + 1);
        after += x + ",0;" + std::to_string(j) + "\n";
        after += "\\put(" + x + ",0){\\line(0,1){0}}\n";
        after += "\\put(" + x + ",0){\\line(1,0){" + std::to_string(j) + "}}\n";
    }
    const auto width = std::to_string(2 * names.size() - 1);   // the last r ($name)
    EXPECT_EQ(t.out, picture("(" + width + ",0)(0,0)", body + after));

    // Unknown names are echoed exactly.
    auto u = tr("g (" + names[3] + ")\nr ($" + names[5] + ")\n");
    EXPECT_EQ(u.status, 1);
    EXPECT_EQ(count(u.transcript, "\nUndefined label '" + names[3] + "' in [1]\n"), 2u);
    EXPECT_EQ(count(u.transcript, "\nUndefined length '$" + names[5] + "' in [2]\n"), 2u);
}

TEST(ByteNames, EveryByteInsideQuotedTextIsCopied)
{
    for (int v = 1; v <= 255; ++v) {
        if (v == '"' || v == '\n')
            continue;
        const char b = static_cast<char>(v);
        SCOPED_TRACE("byte " + std::to_string(v));
        auto t = tr("c (\"<"s + b + ">\")\nb (1, 1, \"<" + b + ">\")\n");
        EXPECT_EQ(t.status, 0) << t.transcript;
        EXPECT_EQ(t.out, picture("(1,1)(0,0)",
                                 "\\put(0,0.5){\\makebox(0,0)[b]{<"s + b + ">}}\n" +
                                     "\\put(0,0){\\framebox(1,1){<" + b + ">}}\n"));
    }
}

// ----------------------------------------------------------- not UTF-8

TEST(NotUtf8, MalformedSequencesAreCopiedByteForByte)
{
    const std::vector<std::string> texts = {
        "\xff\xfe", "\xc3\x41", "\xed\xa0\x80", "\xc0\xaf", "\xe2\x82", "\x80\x80\x80",
        "\xf8\x88\x80\x80\x80", "\xf4\x90\x80\x80", "\xef\xbf\xbf",
    };
    for (const auto& s : texts) {
        SCOPED_TRACE(testing::PrintToString(s));
        auto t = tr("n (" + s + ")\nb (1, 1, \"" + s + "\")\nc (\"" + s + "\")\n%" + s +
                    "\"*" + s + "\"\n%% " + s + "\n");
        EXPECT_EQ(t.status, 0) << t.transcript;
        EXPECT_EQ(t.out, picture("(1,1)(0,0)",
                                 "\\put(0,0){\\framebox(1,1){" + s + "}}\n" +
                                     "\\put(0.5,1.2){\\makebox(0,0)[b]{" + s + "}}\n" + s +
                                     "0\n% " + s + "\n"));
    }
}

TEST(NotUtf8, ByteOrderMarkCountsOnlyAtTheVeryStart)
{
    auto t = tr("\xef\xbb\xbfr (1)\n\xef\xbb\xbfr (1)\n");
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [1]\n"), 0u);
    EXPECT_EQ(count(t.transcript, "\nSyntax error in [2]\n"), 2u);
    EXPECT_EQ(t.out, picture("(1,0)(0,0)", "\\put(0,0){\\line(1,0){1}}\n\n"));
}

}  // namespace
