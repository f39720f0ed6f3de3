// The quick paths of the scanners against the general paths they stand in
// for: the same results, error codes, positions and messages of undefined
// names, on edge texts and random ones.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

struct Result {
    std::size_t pos;
    std::string buf, said;
    int comma, err;
    double value = 0;
};

Lengths table()
{
    Lengths len;
    const char* defs[][2] = {{"w", "-0.5"}, {"ab", "2"}, {"d", "-"}, {"e", ".25"},
                             {"n", "-."},   {"q1", "007.50"}};
    for (const auto& d : defs) {
        len.lenname[static_cast<std::size_t>(len.nlen)] = d[0];
        len.lenval[static_cast<std::size_t>(len.nlen)] = d[1];
        ++len.nlen;
    }
    len.lenname[static_cast<std::size_t>(len.nlen)] = std::string(MAXNAME, 'n');
    len.lenval[static_cast<std::size_t>(len.nlen++)] = "3";
    len.lenname[static_cast<std::size_t>(len.nlen)] = std::string(MAXNAME - 1, 'm');
    len.lenval[static_cast<std::size_t>(len.nlen++)] = "-4";
    return len;
}

template <class Scan>
Result run(Scan scan, const std::string& line, std::size_t pos, char stop, int err,
           const Lengths& len)
{
    term.fp = nullptr;
    term.buf.clear();
    Result r{pos, "junk", "", 5, err};
    r.value = scan(r.pos, line, r.buf, r.comma, r.err, stop, len);
    r.said = term.buf;
    term.buf.clear();
    return r;
}

// Both paths on one line; the value srlval gives is tonum of the text the
// general path leaves, or 0 after an error.
void agree(const std::string& line, std::size_t pos, char stop, int err, const Lengths& len)
{
    auto slow = [](std::size_t& p, std::string_view l, std::string& b, int& c, int& e, char t,
                   const Lengths& n) {
        srlslow(p, l, b, c, e, t, n);
        return 0.0;
    };
    auto fast = [](std::size_t& p, std::string_view l, std::string& b, int& c, int& e, char t,
                   const Lengths& n) {
        srlen(p, l, b, c, e, t, n);
        return 0.0;
    };
    Result want = run(slow, line, pos, stop, err, len);
    Result got = run(fast, line, pos, stop, err, len);
    Result val = run(srlval, line, pos, stop, err, len);
    std::string what = "line '" + line + "' from " + std::to_string(pos) + " term " + stop;
    for (const Result* r : {&got, &val}) {
        ASSERT_EQ(r->pos, want.pos) << what;
        ASSERT_EQ(r->buf, want.buf) << what;
        ASSERT_EQ(r->comma, want.comma) << what;
        ASSERT_EQ(r->err, want.err) << what;
        ASSERT_EQ(r->said, want.said) << what;
    }
    double v = want.err == 0 ? tonum(want.buf) : 0;
    ASSERT_EQ(std::memcmp(&v, &val.value, sizeof v), 0) << what << ": " << val.value << " " << v;
}

TEST(QuickScan, OperandEdgesAgreeWithTheGeneralScan)
{
    Lengths len = table();
    std::string d15(15, '9'), d16(16, '9'), d30(30, '1');
    std::string n29(MAXNAME - 1, 'm'), n30(MAXNAME, 'n');
    const std::string ops[] = {
        "", " ", "\t", "5", " 5", "\t 5", "5 ", "- 5", "-5", "-", ".", "-.", "0", "-0", "-0.0",
        "5.", ".5", "1.2.3", "12-3", "1e5", "0.75", "4.35", d15, d15 + ".5", "." + d15,
        "0." + d15, d16, "-" + d16, d30, d30 + "1", d30.substr(1) + ".", "-" + d30,
        "-" + d30.substr(1), "9007199254740993", "0.000000000000001", "$w", "$ w", "$w ",
        "-$w", "- $w", "-$ w", "$ab", "$a b", "$abc", "$", "-$", "$$", "$d", "-$d", "$e",
        "-$e", "-$n", "$q1", "$" + n30, "$" + n30 + "n", "-$" + n29, "-$" + n30, "$" + n29,
        "$w(", "$w\"", "x", "5x", "$w\n", "5\n", "$w%%", "(", "\"A\"", "5,", "$w,"};
    const std::string tails[] = {")\n", ")", ") %% note\n", ")  junk\n", ")\t\n", ", 2, \"A\")\n",
                                 ",\"A\")\n", ", x)\n", ",", "", "\n", ") %\n"};
    for (const std::string& op : ops)
        for (const std::string& tail : tails)
            for (char stop : {')', ','})
                for (int err : {0, 1}) {
                    std::string line = "x (" + op + tail;
                    agree(line, 2, stop, err, len);
                    if (HasFatalFailure())
                        return;
                }
}

// Random operands from the characters that matter to the scan, of every
// length around the thirty-character limit, at the end of the text too.
TEST(QuickScan, RandomOperandsAgreeWithTheGeneralScan)
{
    Lengths len = table();
    std::mt19937_64 rng(0x5c4a);
    const std::string digits = "0123456789";
    const std::string others = "-.$ \t)(,\"%\nwabdenq1mx";
    for (int k = 0; k < 300000; ++k) {
        std::string line = rng() % 2 ? "x (" : "b(";
        std::size_t pos = line.size() - 1;
        if (rng() % 4 == 0)
            line += ' ';
        int shape = static_cast<int>(rng() % 4);
        if (shape == 1)
            line += '-';
        if (shape >= 2)
            line += rng() % 3 ? "$" : "-$";
        int n = static_cast<int>(rng() % (k % 5 == 0 ? 34 : 8));
        for (int j = 0; j < n; ++j) {
            if (shape >= 2)
                line += rng() % 10 ? "wabdenqm1"[rng() % 9] : others[rng() % others.size()];
            else
                line += rng() % 12 ? digits[rng() % 10] : others[rng() % others.size()];
        }
        static const char* const tails[] = {")\n", ")", ", 2, \"A\")\n", ", \"A\")\n",
                                            ") %% c\n", ")x\n", "", "\n", ", ("};
        line += tails[rng() % 9];
        char stop = rng() % 2 ? ')' : ',';
        agree(line, pos, stop, rng() % 8 == 0, len);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
