// The decimal conversion of operand texts: its quick path must give, bit for
// bit, what the standard conversion it stands in for gives.
#include "quillard.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

namespace {

double standard(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

void same(const std::string& text)
{
    double got = tonum(text), want = standard(text);
    ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "'" << text << "': " << got << " "
                                                      << want;
}

TEST(Tonum, Edges)
{
    for (const char* t : {"0", "-0", "-", ".", "-.", "0.", ".0", "-0.0", "5.", "007", "1.50",
                          "9007199254740992", "9007199254740993", "9007199254740991.5",
                          "-9007199254740993", "18446744073709551615", "18446744073709551616",
                          "0.1", "0.2", "0.3", "1e5", "1.2.3", "12-3", "0.0000000000000000000001",
                          "0.00000000000000000000001", "1234567890123456789012345678.9",
                          "999999999999999999999999999999", "21474.83648", "0.000005",
                          "1.0000000000000000000005", "4.35", "2.675", "0.15"})
        same(t);
}

// Texts of up to 30 characters as the scanners pass them: an optional '-',
// digits with leading zeros now and then, at most one '.' anywhere.
TEST(Tonum, RandomTextsAgreeWithTheStandardConversion)
{
    std::mt19937_64 rng(0x70e);
    for (int k = 0; k < 400000; ++k) {
        std::string t;
        if (rng() % 3 == 0)
            t += '-';
        int n = 1 + static_cast<int>(rng() % (k % 4 == 0 ? 30 : 12));
        int zeros = rng() % 4 == 0 ? static_cast<int>(rng() % 8) : 0;
        int dot = rng() % 5 == 0 ? -1 : static_cast<int>(rng() % (n + 1));
        for (int j = 0; j < n && t.size() < static_cast<std::size_t>(MAXNAME); ++j) {
            if (j == dot)
                t += '.';
            t += static_cast<char>(j < zeros ? '0' : '0' + rng() % 10);
        }
        same(t);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
