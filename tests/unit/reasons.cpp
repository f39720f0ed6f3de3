// The reasons given with a syntax error under --quiet: never given for a
// line the translator takes, and given for every faulty operand list of the
// commands whose operands they read.
#include "quillard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// A line of one command with random operands, mostly well shaped.
std::string randline(std::mt19937& rng)
{
    auto pick = [&](std::string_view from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
    };
    auto some = [&](std::string_view from, std::size_t most) {
        std::string s;
        for (std::size_t n = std::uniform_int_distribution<std::size_t>(0, most)(rng); n > 0; --n)
            s += pick(from);
        return s;
    };
    std::string line = rng() % 6 == 0 ? "-" : "";
    char ch = pick("ruldRULDxyXYagknstcbBpm$\\%");
    line += ch;
    if (ch == '%')
        return line + some("\"*/@$-xy& aA", 8) + "\n";
    if (ch == '$')
        return line + some("ab 1.-$(=,\"", 3) + (rng() % 5 ? "=" : "") + some("0123456789.-$a w%", 5) + "\n";
    if (ch == '\\')
        return line + pick("acst%") + some(" =", 2) + some("0123456789.-$a w%", 5) + "\n";
    if (linedir(ch) >= 0 && rng() % 4 == 0)
        line += '!';
    line += " (";
    if (ch == 'b' || ch == 'B' || ch == 'c')
        line += some("12.-$w, \"ax()", 9);
    else
        line += some("0123456789.-$w ,Aa=\"rx%", 5);
    line += ')';
    if (rng() % 8 == 0)
        line += some(" x%", 2);
    return line + "\n";
}

}  // namespace

TEST(Reasons, GivenOnlyForLinesInErrorAndForEveryFaultyOperandList)
{
    std::mt19937 rng(20261211);
    const std::string head = "$w = 1\nn (A)\n";   // line 3 is the line tried
    Options opt;
    opt.quiet = true;
    opt.nopt = true;
    int faulty = 0, explained = 0;
    for (int k = 0; k < 20000; ++k) {
        std::string line = randline(rng);
        std::string out, said;
        translate(head + line, "", opt, out, said, "p.qld");
        bool syntax = said.find("p.qld:3: Syntax error") != std::string::npos;
        std::string r = why(line);
        if (!syntax) {
            // A reason is never made up for a line that reads well.
            EXPECT_TRUE(r.empty() || said.find("p.qld:3:") != std::string::npos)
                << "line: " << line << "reason: " << r;
            continue;
        }
        ++faulty;
        std::string full = "p.qld:3: Syntax error: " + r + "\n";
        EXPECT_TRUE(!r.empty() && said.find(full) != std::string::npos)
            << "line: " << line << "said: " << said;
        explained += !r.empty();
    }
    EXPECT_GT(faulty, 5000);
    EXPECT_EQ(explained, faulty);
}
