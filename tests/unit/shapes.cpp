// The lines of common shapes, read in one go, against the general scanners:
// the first pass (scale) leaves the same state, error code and messages as
// the general one (scgen) on every line; the second pass writes the same
// picture text and leaves the same points for every line shape() takes as
// the general handlers do.  Lines are built from pieces and near misses.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

const std::string N30(MAXNAME, 'n'), N31(MAXNAME + 1, 'n');
const Pieces INDENT = {"", "", " ", "\t", " \t "};
const Pieces MINUS = {"", "", "", "-", "- ", "-\t"};
const Pieces BLANK = {"", "", " ", "\t", "  "};
const Pieces BANG = {"", "", "", "!", " ! ", "!!"};
const Pieces NUM = {"1.5", "-0.25", ".5", "5.", "4", "0.75", "-", ".", "-.", "0", "-0", "007",
                    "123456789012345", "1234567890123456", "1.23456789012345",
                    "0.000000000000001", "0.12345678901234567", "12345678.901234567891",
                    "9.007199254740993", "1e5", "1 .5", "2 ", " 2", "1.2.3", "$w", "$neg",
                    "$gap", "$wide", "$undef", "-$w", "$", "$w x", "$ w", "$" + N30,
                    "$" + N31, "1,5", "x"};
const Pieces NAME = {"A", "B", "node", "dup", "C", "undef", "=x", "9a", ".a", "-a", "$a", "a b",
                     " A", "A ", N30, N31, "", "a(b", "a,b", "a\"b", "A)"};
const Pieces TURN = {"r", "u", "l", "d", "R", "x", "r ", "rr", "", "(r"};
const Pieces TEXT = {"\"Plant\"", "\"\"", "\"a, b\"", "\"open", "\"x\" y", " \"$u_5$\" ",
                     "\"a)b\"", "Plant", "\"%%\""};
const Pieces TAIL = {"", "", "", " ", " %% note", "%%", "%", " % x", " x", "\t", ")"};
const Pieces END = {"\n", "\n", "\n", "\n", "", "\r\n"};
const Pieces OTHER = {"", "\n", "  \n", "%x\n", "% c\n", "%% c\n", "-\n", "- %x\n", "t (r)\n",
                      "x (1)\n", "n (E)\n", "\\a = 0.2\n", "$v = 2\n", "q\n", "- c (\"x\")\n",
                      "- g (A)\n", "c(\"x\")\n", "g(A)\n", std::string("\0\n", 2)};

const char* const MUTANTS = " \t()!,\"$-.%\n0123456789abAB";

struct Gen {
    std::mt19937_64 rng{0x5a9e};
    const std::string& pick(const Pieces& p) { return p[rng() % p.size()]; }

    std::string line()
    {
        std::string s = pick(INDENT) + pick(MINUS);
        switch (rng() % 9) {
        case 0: case 1:
            s += "rludRLUD"[rng() % 8] + pick(BLANK) + pick(BANG) + pick(BLANK) + "(" +
                 pick(BLANK) + (rng() % 3 ? pick(NUM) : pick(NAME)) + ")";
            break;
        case 6:
            s += "xyXY"[rng() % 4] + pick(BLANK) + "(" + pick(BLANK) +
                 (rng() % 3 ? pick(NUM) : pick(NAME)) + ")";
            break;
        case 7:
            s += "t" + pick(BLANK) + "(" + pick(BLANK) + pick(TURN) + ")";
            break;
        case 8:
            s += "s" + pick(BLANK) + "(" + pick(BLANK) + (rng() % 4 ? pick(NUM) : "") + ")";
            break;
        case 2:
            s += std::string(rng() % 2 ? "b" : "B") + pick(BLANK) + "(" + pick(NUM) + "," +
                 pick(BLANK) + pick(NUM) + "," + pick(BLANK) + pick(TEXT) + pick(BLANK) + ")";
            break;
        case 3:
            s += "c" + pick(BLANK) + "(" + pick(BLANK) + pick(TEXT) + ")";
            break;
        case 4:
            s += "g" + pick(BLANK) + "(" + pick(BLANK) + pick(NAME) + ")";
            break;
        default:
            return pick(OTHER);
        }
        s += pick(TAIL) + pick(END);
        if (rng() % 5 == 0 && !s.empty()) {   // a near miss
            std::size_t at = rng() % s.size();
            char ch = MUTANTS[rng() % std::strlen(MUTANTS)];
            switch (rng() % 3) {
            case 0: s[at] = ch; break;
            case 1: s.insert(at, 1, ch); break;
            default: s.erase(at, 1); break;
            }
        }
        return s;
    }
};

// Labels, two of one name, circle nodes at and near the points the lines
// start from; lengths of several kinds of text.
struct World {
    Labels lab;
    Lengths len;
    World(bool sorted)
    {
        struct { const char* name; double x, y; int node; } defs[] = {
            {"A", 2, 1, 0}, {"B", -3, 4, 1}, {"node", 1, 1, 1}, {"dup", 5, 5, 0},
            {"dup", 6, 6, 1}, {"C", 1.5, 1, 1}, {"E", 0, 2.5, 1}};
        for (const auto& d : defs) {
            auto s = static_cast<std::size_t>(lab.nlab++);
            lab.labname[s] = d.name;
            lab.labx[s] = d.x;
            lab.laby[s] = d.y;
            lab.labattr[s] = d.node;
            addname(lab.idx, lab.labname.data(), lab.nlab);
        }
        // Names longer than a scan takes are in the tables too, so that a
        // scan that took them would be seen.
        for (const std::string& name : {N30, N31}) {
            lab.labname[static_cast<std::size_t>(lab.nlab)] = name;
            addname(lab.idx, lab.labname.data(), ++lab.nlab);
        }
        if (sorted)
            nodes(lab);
        const char* vals[][2] = {{"w", "1.5"}, {"neg", "-2"}, {"gap", ".25"}, {"wide", "1e1"}};
        for (const auto& v : vals) {
            auto s = static_cast<std::size_t>(len.nlen++);
            len.lenname[s] = v[0];
            len.lenval[s] = v[1];
            len.lennum[s] = tonum(v[1]);
            addname(len.idx, len.lenname.data(), len.nlen);
        }
        for (const std::string& name : {N30, N31}) {
            len.lenname[static_cast<std::size_t>(len.nlen)] = name;
            len.lenval[static_cast<std::size_t>(len.nlen)] = "3";
            len.lennum[static_cast<std::size_t>(len.nlen)] = 3;
            addname(len.idx, len.lenname.data(), ++len.nlen);
        }
    }
};

struct Pass {
    int dir = 0, err = -1;
    Params par{};
    Points pt;
    Extents ext;
    std::string out, said;
};

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectsame(const Pass& a, const Pass& b, const std::string& line)
{
    const double x[] = {a.pt.curx, a.pt.cury, a.pt.refx, a.pt.refy, a.pt.lastx, a.pt.lasty,
                        a.ext.xmax, a.ext.ymax, a.ext.xmin, a.ext.ymin};
    const double y[] = {b.pt.curx, b.pt.cury, b.pt.refx, b.pt.refy, b.pt.lastx, b.pt.lasty,
                        b.ext.xmax, b.ext.ymax, b.ext.xmin, b.ext.ymin};
    for (std::size_t k = 0; k < std::size(x); ++k)
        ASSERT_TRUE(same(x[k], y[k])) << "line '" << line << "' value " << k << ": " << x[k]
                                      << " " << y[k];
    ASSERT_EQ(a.err, b.err) << "line '" << line << "'";
    ASSERT_EQ(a.dir, b.dir) << "line '" << line << "'";
    ASSERT_EQ(a.out, b.out) << "line '" << line << "'";
    ASSERT_EQ(a.said, b.said) << "line '" << line << "'";
}

Pass start(std::mt19937_64& rng)
{
    static const double where[] = {0, 1, 2, 2.5, -3, 1.5, 0.9};
    Pass r;
    r.dir = static_cast<int>(rng() % 4);
    r.par = defaults();
    r.par.a = rng() % 2 ? 0.15 : 0.6;
    r.par.c = rng() % 2 ? 0.2 : -0.1;
    r.pt.curx = where[rng() % std::size(where)];
    r.pt.cury = where[rng() % std::size(where)];
    r.pt.lastx = r.pt.refx = -7;
    r.pt.lasty = r.pt.refy = 8;
    r.ext = {3, 3, -1, -1};
    return r;
}

// The second pass of a line of a common shape by the general handlers, as
// the dispatcher calls them.
void general2(const std::string& line, const Labels& lab, const Lengths& len, Pass& r)
{
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    char ch = at(line, i);
    r.err = 0;
    if (std::strchr("cXYt", ch) == nullptr) {
        r.pt.lastx = r.pt.curx;
        r.pt.lasty = r.pt.cury;
    }
    if (int ld = linedir(ch); ld >= 0) {
        r.dir = ld;
        std::size_t j = skipbl(line, i + 1);
        int dash = at(line, j) == '!';
        dline(dash, ch <= 'Z', dash ? j : j - 1, line, r.out, r.dir, lab, r.pt, r.par, len,
              minus, r.err);
    } else if (ch == 'b' || ch == 'B') {
        box(i, line, r.out, ch == 'B', r.dir, r.pt, r.par.c, r.par.d, len, minus, 0, r.err);
    } else if (ch == 'c') {
        wcomment(i, line, r.out, r.par.c, r.dir, r.pt.refx, r.pt.refy, r.err);
    } else if (ch == 'x' || ch == 'y') {
        move(i, line, ch, lab, r.pt, len, r.err);
    } else if (ch == 'X' || ch == 'Y') {
        subcmove(i, line, ch, lab, r.pt, len, r.err);
    } else if (ch == 't') {
        scdir(i, line, r.dir, r.err);
    } else if (ch == 's') {
        sample(i, line, r.out, r.dir, r.par.s, r.pt, r.par.c, len, minus, 0, r.err);
    } else {
        go(i, line, lab, r.pt, r.dir, r.par.c, r.err);
    }
}

TEST(Shapes, CommonLinesReadInOneGoAsTheGeneralScannersReadThem)
{
    builtin();
    World worlds[] = {World(false), World(true)};
    Gen gen;
    int shaped = 0, drawn = 0, total = 200000;
    for (int k = 0; k < total; ++k) {
        std::string line = gen.line();
        World& w = worlds[k % 2];
        Pass first = start(gen.rng);
        Labels lab = w.lab, lab2 = w.lab;
        Lengths len = w.len, len2 = w.len;
        term.buf.clear();
        Pass fast = first, slow = first;
        scale(line, lab, len, fast.dir, fast.par, fast.pt, fast.ext, fast.err);
        fast.said = term.buf;
        term.buf.clear();
        scgen(line, lab2, len2, slow.dir, slow.par, slow.pt, slow.ext, slow.err);
        slow.said = term.buf;
        term.buf.clear();
        expectsame(fast, slow, line);
        if (HasFatalFailure())
            return;

        Shape sh;
        if (!shape(line, w.lab, w.len, sh))
            continue;
        ++shaped;
        ASSERT_EQ(slow.err, 0) << "line '" << line << "'";
        if (sh.cmd == '\n' || sh.cmd == '%')
            continue;
        ++drawn;
        fast = slow = first;
        std::string workbuf;
        int drew = 0;
        len = w.len;
        interpret(line, workbuf, fast.out, w.lab, fast.dir, fast.par, fast.pt, len, drew, 0, 0,
                  fast.err);
        fast.said = term.buf;
        term.buf.clear();
        general2(line, w.lab, w.len, slow);
        slow.said = term.buf;
        term.buf.clear();
        expectsame(fast, slow, line);
        if (HasFatalFailure())
            return;
    }
    // Enough lines of each kind: the shapes were taken, and many were not.
    EXPECT_GT(drawn, total / 10);
    EXPECT_LT(shaped, total * 3 / 4);
}

}  // namespace
