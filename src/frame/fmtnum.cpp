#include "quillard.h"

#include <cmath>

namespace {

// The two digits of every number below 100.
constexpr char PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of n backwards, ending before p.
void digits(std::uint32_t n, char* p)
{
    while (n >= 100) {
        const char* d = PAIRS + 2 * (n % 100);
        n /= 100;
        *--p = d[1];
        *--p = d[0];
    }
    if (n >= 10) {
        *--p = PAIRS[2 * n + 1];
        *--p = PAIRS[2 * n];
    } else {
        *--p = static_cast<char>('0' + n);
    }
}

// The number of digits of n, below 10^7.
int width(std::uint32_t n)
{
    if (n < 1000)
        return n < 10 ? 1 : n < 100 ? 2 : 3;
    return n < 10000 ? 4 : n < 100000 ? 5 : n < 1000000 ? 6 : 7;
}

}  // namespace

// Writes x in the output number format at p: rounded by value to five decimals,
// then at most 12 significant digits, trailing zeros and point removed, never
// an exponent.
//
// Below 10^7 in magnitude the rounded value is a count of hundred-thousandths
// of at most 12 digits, and those digits, with the point five from the right,
// are exactly what twelve significant digits show of it.  They are written
// here from the count itself; larger values take the definition (fmtslow).
char* fmtnum(double x, char* at)
{
    double y = (x >= 0 ? x + 0.000005 : x - 0.000005) * 100000;
    if (!(std::fabs(y) < 1e12)) {
        std::string text;
        fmtslow(x, text);
        return chars(at, text);
    }
    auto n = static_cast<std::int64_t>(y);
    bool neg = n < 0;
    auto m = static_cast<std::uint64_t>(neg ? -n : n);
    auto whole = static_cast<std::uint32_t>(m / 100000);
    auto frac = static_cast<std::uint32_t>(m % 100000);
    char* p = at;
    if (neg)
        *p++ = '-';
    p += width(whole);
    digits(whole, p);
    if (frac == 0)
        return p;
    // Five fraction digits, then the trailing zeros dropped (frac is not 0).
    *p++ = '.';
    const char* hi = PAIRS + 2 * (frac / 1000);
    const char* mid = PAIRS + 2 * (frac / 10 % 100);
    p[0] = hi[0];
    p[1] = hi[1];
    p[2] = mid[0];
    p[3] = mid[1];
    p[4] = static_cast<char>('0' + frac % 10);
    int keep = 5;
    while (p[keep - 1] == '0')
        --keep;
    return p + keep;
}

void fmtnum(double x, std::string& out)
{
    char text[MAXNUM];
    out.append(text, static_cast<std::size_t>(fmtnum(x, text) - text));
}

std::string numtext(double x)
{
    std::string s;
    fmtnum(x, s);
    return s;
}
