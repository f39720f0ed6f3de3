// Operand scanners, length definitions and parameter commands.
#include "quillard.h"

#include <gtest/gtest.h>

namespace {

struct Scan {
    std::string buf;
    int comma = 0;
    int err = 0;
    std::size_t pos = 0;
};

// Scans the operand after the first '(' of the line.
Scan scan(const std::string& line, const Lengths& len, char term = ')')
{
    Scan s;
    s.pos = line.find('(');
    srlen(s.pos, line, s.buf, s.comma, s.err, term, len);
    return s;
}

Lengths lengths(std::initializer_list<std::pair<const char*, const char*>> defs)
{
    Lengths len;
    for (const auto& [n, v] : defs) {
        len.lenname[static_cast<std::size_t>(len.nlen)] = n;
        len.lenval[static_cast<std::size_t>(len.nlen)] = v;
        ++len.nlen;
    }
    return len;
}

class Quiet : public ::testing::Test {
protected:
    void SetUp() override
    {
        term.fp = nullptr;
        term.buf.clear();
        builtin();
    }
};

using Srlen = Quiet;
using Setlen = Quiet;
using Param = Quiet;
using Srlab = Quiet;

}  // namespace

TEST_F(Srlen, DecimalTextWithBlanksDropped)
{
    Lengths none;
    Scan s = scan("x (- 1 2 . 5)\n", none);
    EXPECT_EQ(s.err, 0);
    EXPECT_EQ(s.buf, "-12.5");
    EXPECT_EQ(scan("x (-)\n", none).buf, "-");
    EXPECT_EQ(scan("x (.)\n", none).err, 0);
    EXPECT_EQ(scan("x (5) %% note\n", none).err, 0);
    EXPECT_EQ(scan("x (5\t)\n", none).buf, "5");
}

TEST_F(Srlen, CommaCounterMarksEmptyAndBadEndings)
{
    Lengths none;
    Scan s = scan("s()\n", none);
    EXPECT_EQ(s.err, 1);
    EXPECT_EQ(s.comma, -1);
    s = scan("s( )\n", none);
    EXPECT_EQ(s.err, 1);
    EXPECT_EQ(s.comma, -1);
    s = scan("s(x)\n", none);
    EXPECT_EQ(s.err, 1);
    EXPECT_EQ(s.comma, -2);
    s = scan("s(x\n", none);
    EXPECT_EQ(s.err, 1);
    EXPECT_EQ(s.comma, -1);
    s = scan("x (5) junk\n", none);
    EXPECT_EQ(s.err, 1);
    EXPECT_EQ(s.comma, -2);
}

TEST_F(Srlen, ReferencesAndNegatedReferences)
{
    Lengths len = lengths({{"w", "-0.5"}, {"v", "2"}});
    EXPECT_EQ(scan("x ($w)\n", len).buf, "-0.5");
    EXPECT_EQ(scan("x (-$w)\n", len).buf, "0.5");
    EXPECT_EQ(scan("x (- $ v)\n", len).buf, "-2");
    Scan s = scan("x ($q)\n", len);
    EXPECT_EQ(s.err, 7);
    EXPECT_EQ(term.buf, "\nUndefined length '$q'");
    term.buf.clear();
    s = scan("x ($)\n", len);
    EXPECT_EQ(s.err, 7);
    EXPECT_EQ(term.buf, "\nUndefined length '$'");
    EXPECT_EQ(scan("x ($w\n", len).err, 1);   // a reference must be closed
}

TEST_F(Srlen, ThirtyCharacterLimit)
{
    Lengths none;
    std::string d30(30, '7');
    EXPECT_EQ(scan("x (" + d30 + ")\n", none).err, 0);
    EXPECT_EQ(scan("x (" + d30 + "7)\n", none).err, 10);
    EXPECT_EQ(scan("x (" + d30 + ".)\n", none).err, 10);
    std::string n30(30, 'n');
    EXPECT_EQ(scan("x ($" + n30 + ")\n", none).err, 7);
    EXPECT_EQ(scan("x ($" + n30 + "n)\n", none).err, 9);
    EXPECT_EQ(scan("x (-$" + n30 + ")\n", none).err, 9);   // the '-' counts
}

TEST_F(Srlen, TwoSizesOfABox)
{
    Lengths len = lengths({{"h", "0.8"}});
    std::string line = "b(2, $h, \"A\")\n";
    Scan s;
    s.pos = 1;
    srlen(s.pos, line, s.buf, s.comma, s.err, ',', len);
    EXPECT_EQ(s.buf, "2");
    EXPECT_EQ(s.comma, 1);
    srlen(s.pos, line, s.buf, s.comma, s.err, ',', len);
    EXPECT_EQ(s.err, 0);
    EXPECT_EQ(s.buf, "0.8");
    EXPECT_EQ(s.comma, 2);
    EXPECT_EQ(line[skipbl(line, s.pos + 1)], '"');
    EXPECT_EQ(scan("b(2,x,\"A\")\n", len, ',').err, 1);
}

TEST_F(Setlen, DefinitionsRedefinitionAndErrors)
{
    Lengths len;
    auto def = [&](const std::string& line) {
        int err = 0;
        setlen(0, line, len, err);
        return err;
    };
    EXPECT_EQ(def("$ a b = 1 . 5\n"), 0);
    EXPECT_EQ(len.lenname[0], "ab");
    EXPECT_EQ(len.lenval[0], "1.5");
    EXPECT_EQ(def("$ab = 3 %% again\n"), -1);
    EXPECT_EQ(term.buf, "\nWarning:  Redeclaration of length '$ab'");
    EXPECT_EQ(len.lenval[0], "3");
    EXPECT_EQ(len.nlen, 1);
    for (const char* bad : {"$1a = 2\n", "$-a = 2\n", "$a(b) = 2\n", "$a = $b\n", "$a = 1.2.3\n",
                            "$ = 2\n", "$a = 2 % x\n", "$a = 2", "$a\n", "$a = 1-2\n"})
        EXPECT_EQ(def(bad), 1) << bad;
    EXPECT_EQ(def("$" + std::string(31, 'n') + " = 1\n"), 9);
    EXPECT_EQ(def("$n = " + std::string(31, '1') + "\n"), 10);
    EXPECT_EQ(len.nlen, 1);
}

TEST_F(Setlen, FullTableRefusesEvenARedefinition)
{
    Lengths len;
    for (int j = 0; j < MAXLEN; ++j) {
        int err = 0;
        setlen(0, "$n" + std::to_string(j) + " = 1\n", len, err);
        ASSERT_EQ(err, 0);
    }
    int err = 0;
    setlen(0, "$n0 = 2\n", len, err);
    EXPECT_EQ(err, 8);
    EXPECT_EQ(len.lenval[0], "1");
}

TEST_F(Param, SetResetNegateAndRangeCheck)
{
    Params par = defaults();
    Lengths len = lengths({{"gap", "0.4"}});
    auto run = [&](const std::string& line, int check, int minus = 0) {
        int err = 0;
        param(line.find('\\'), line, par, len, check, minus, err);
        return err;
    };
    EXPECT_EQ(run("\\a = 0.25\n", 1), 0);
    EXPECT_EQ(par.a, 0.25);
    EXPECT_EQ(run("\\a\n", 1), 0);
    EXPECT_EQ(par.a, 0.15);
    EXPECT_EQ(run("\\c\n", 1, 1), 0);
    EXPECT_EQ(par.c, -0.2);
    EXPECT_EQ(run("\\ c = $gap %% spacing\n", 1), 0);
    EXPECT_EQ(par.c, 0.4);
    EXPECT_EQ(run("\\a = 0\n", 1), 2);
    EXPECT_EQ(par.a, 0);   // kept all the same
    EXPECT_EQ(run("\\a = 0\n", 0), 0);
    EXPECT_EQ(run("\\t = -1\n", 1), 0);
    EXPECT_EQ(run("\\p\n", 1, 1), 0);
    EXPECT_EQ(run("\\%anything\n", 1), 0);
    EXPECT_EQ(run("\\%\n", 1, 1), 1);
    for (const char* bad : {"\\a 0.2\n", "\\A = 1\n", "\\q = 1\n", "\\ab = 1\n", "\\\n",
                            "\\a = -$gap\n", "\\a % x\n", "\\a =\n", "\\a"})
        EXPECT_EQ(run(bad, 1), 1) << bad;
    EXPECT_EQ(run("\\a = 1\n", 1, 1), 1);
    EXPECT_EQ(run("\\a = $w\n", 1), 7);
    EXPECT_EQ(run("\\a = " + std::string(31, '1') + "\n", 1), 10);
    EXPECT_EQ(run("\\a = $" + std::string(31, 'w') + "\n", 1), 10);
}

TEST_F(Param, ResetReturnsToTheConfiguredDefault)
{
    Params def = defaults();
    Lengths none;
    int err = 0;
    config("  \\a = 0.3 %% node size\n", def, none, err);
    setdefaults(def);
    EXPECT_EQ(err, 0);
    Params par = defaults();
    par.a = 1;
    param(0, "\\a\n", par, none, 1, 0, err);
    EXPECT_EQ(par.a, 0.3);
    config("% defaults\n", def, none, err);
    EXPECT_EQ(err, 1);
    err = 0;
    config("-\n", def, none, err);
    EXPECT_EQ(err, 1);
    err = 0;
    config(" \t\n", def, none, err);
    EXPECT_EQ(err, 0);
    config("-\\r\n", def, none, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(def.r, 0);
}

TEST_F(Srlab, NamesAndTheirRules)
{
    auto lab = [](const std::string& line, std::string& name) {
        int err = 0;
        std::size_t pos = line.find('(');
        srlab(pos, line, name, err);
        return err;
    };
    std::string name;
    EXPECT_EQ(lab("n ( a b )\n", name), 0);
    EXPECT_EQ(name, "ab");
    EXPECT_EQ(lab("n (a) %% note\n", name), 0);
    EXPECT_EQ(lab("n (+2)\n", name), 0);
    EXPECT_EQ(name, "+2");
    for (const char* bad : {"n ()\n", "n (1a)\n", "n (-a)\n", "n (a=b)\n", "n (a) b\n", "n (a\n",
                            "n (a) % x\n", "n (a)", "n (a\"b)\n", "n (a,b)\n"})
        EXPECT_EQ(lab(bad, name), 1) << bad;
    EXPECT_EQ(lab("n (" + std::string(30, 'x') + ")\n", name), 0);
    EXPECT_EQ(lab("n (" + std::string(31, 'x') + ")\n", name), 9);
}

TEST_F(Srlab, LabelTableKeepsTheFirstOfARepeatedName)
{
    Labels lab;
    Extents ext;
    int err = 0;
    scsave(0, "n (A)\n", 1, 2, lab, ext, err);
    scsave(0, "n (A)\n", 3, 4, lab, ext, err);
    EXPECT_EQ(err, 5);
    EXPECT_EQ(term.buf, "\nMultiply defined label 'A'");
    EXPECT_EQ(lab.nlab, 2);
    EXPECT_EQ(lab.labx[static_cast<std::size_t>(findlab(lab, "A"))], 1);
    err = 0;
    scadd(0, "a (P)\n", lab, 0, 0, ext, 0.15, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(lab.labattr[2], 1);
    EXPECT_EQ(ext.xmin, -0.15);
    EXPECT_EQ(ext.ymin, -0.15);
    EXPECT_EQ(ext.xmax, 3);
    for (int j = lab.nlab; j < MAXLAB; ++j) {
        scsave(0, "n (L" + std::to_string(j) + ")\n", 0, 0, lab, ext, err = 0);
        ASSERT_EQ(err, 0);
    }
    scsave(0, "n (Z)\n", 0, 0, lab, ext, err);
    EXPECT_EQ(err, 3);
    EXPECT_EQ(lab.nlab, MAXLAB);
    EXPECT_EQ(findlab(lab, "Z"), -1);
}
