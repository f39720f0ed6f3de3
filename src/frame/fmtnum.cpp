#include "quillard.h"

#include <cmath>

namespace {

// The two digits of every number below 100.
constexpr char PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The two digits of n below 100.
inline char* pair(char* p, std::uint32_t n)
{
    std::memcpy(p, PAIRS + 2 * n, 2);
    return p + 2;
}

// The digits of n below 100, without a leading zero.
inline char* upto2(char* p, std::uint32_t n)
{
    if (n < 10) {
        *p = static_cast<char>('0' + n);
        return p + 1;
    }
    return pair(p, n);
}

// The digits of n from 100 up to 10^7.
char* upto7(char* p, std::uint32_t n)
{
    if (n < 10000)
        return pair(upto2(p, n / 100), n % 100);
    std::uint32_t hi = n / 10000, lo = n % 10000;   // hi: 1 to 999
    p = hi < 100 ? upto2(p, hi) : pair(upto2(p, hi / 100), hi % 100);
    return pair(pair(p, lo / 100), lo % 100);
}

// The values fmtnum does not write itself, by the definition.
[[gnu::noinline]] char* slowat(double x, char* at)
{
    std::string text;
    fmtslow(x, text);
    return chars(at, text);
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
// The five decimals are written as far as their last digit that is not 0:
// two of them when the last three are 0, the common case of the values a
// picture is drawn with.
char* fmtnum(double x, char* at)
{
    double y = (x >= 0 ? x + 0.000005 : x - 0.000005) * 100000;
    if (!(std::fabs(y) < 1e12))
        return slowat(x, at);
    auto n = static_cast<std::int64_t>(y);
    char* p = at;
    if (n < 0) {
        *p++ = '-';
        n = -n;
    }
    auto m = static_cast<std::uint64_t>(n);
    auto whole = static_cast<std::uint32_t>(m / 100000);
    auto frac = static_cast<std::uint32_t>(m - std::uint64_t{whole} * 100000);
    p = whole < 100 ? upto2(p, whole) : upto7(p, whole);
    if (frac == 0)
        return p;
    *p++ = '.';
    std::uint32_t hi = frac / 1000, lo = frac % 1000;   // decimals 1-2 and 3-5
    p = pair(p, hi);
    if (lo == 0)
        return p[-1] == '0' ? p - 1 : p;   // hi is not 0
    std::uint32_t mid = lo / 10, last = lo % 10;
    p = pair(p, mid);
    if (last != 0) {
        *p = static_cast<char>('0' + last);
        return p + 1;
    }
    return p[-1] == '0' ? p - 1 : p;   // decimal 3 is not 0 then
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
