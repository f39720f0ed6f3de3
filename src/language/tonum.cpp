#include "quillard.h"

#ifdef __EMSCRIPTEN__
#include <cstdlib>
#include <string>
#else
#include <charconv>
#endif

namespace {

// The standard conversion: correctly rounded, 0 for a text without digits.
double slow(std::string_view text)
{
#ifdef __EMSCRIPTEN__
    // The WebAssembly C++ library has no floating-point from_chars; its strtod
    // rounds correctly too, and the translator never leaves the C locale.
    return std::strtod(std::string(text).c_str(), nullptr);
#else
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
#endif
}

// Powers of ten that a double holds exactly.
constexpr double POW10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr std::uint64_t LIMIT = std::uint64_t{1} << 53;   // every integer up to it is a double

}  // namespace

// The value of a decimal text as the standard decimal conversion gives it:
// correctly rounded, and 0 for a text without digits ('-', '.').
//
// The texts the scanners pass (an optional '-', digits, at most one '.')
// mostly have a few digits.  When all of them form an integer m of at most
// 2^53 and there are k <= 22 digits after the point, m and 10^k are exact
// doubles and one correctly rounded division gives the correctly rounded
// value of m / 10^k, the very result of the standard conversion.  Any other
// text takes the standard conversion itself.
double tonum(std::string_view text)
{
    std::size_t i = 0, n = text.size();
    bool neg = n > 0 && text[0] == '-';
    i = neg ? 1 : 0;
    std::uint64_t m = 0;
    int digits = 0, frac = -1;   // frac: digits after the point, -1 before it
    for (; i < n; ++i) {
        char ch = text[i];
        if (isdigit_(ch)) {
            if (m >= LIMIT)
                return slow(text);   // keeps m * 10 + 9 far inside 64 bits
            m = m * 10 + static_cast<unsigned>(ch - '0');
            ++digits;
            if (frac >= 0)
                ++frac;
        } else if (ch == '.' && frac < 0) {
            frac = 0;
        } else {
            return slow(text);
        }
    }
    if (digits == 0)
        return 0;
    if (frac > 22 || m > LIMIT)
        return slow(text);
    double v = static_cast<double>(m);
    if (frac > 0)
        v /= POW10[frac];
    return neg ? -v : v;
}
