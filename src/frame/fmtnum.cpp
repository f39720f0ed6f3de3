#include "quillard.h"

#include <cmath>
#include <cstdlib>

namespace {

// Rewrites a "%.12g" text in fixed notation with the same digits, so that one
// that came out with an exponent ("1.5e+13") becomes one LaTeX can read.
// The digits of "%g" carry no trailing zeros, so none are left behind.
void fixed(const char* g, std::string& out)
{
    std::string digits;
    const char* p = g;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    int before = 0;   // digits before the point
    bool point = false;
    for (; *p && *p != 'e'; ++p) {
        if (*p == '.') {
            point = true;
        } else {
            digits += *p;
            if (!point)
                ++before;
        }
    }
    int exp = *p == 'e' ? std::atoi(p + 1) : 0;
    int intlen = before + exp;   // digits in front of the decimal point
    if (intlen <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-intlen), '0');
        out += digits;
    } else if (static_cast<std::size_t>(intlen) >= digits.size()) {
        out += digits;
        out.append(static_cast<std::size_t>(intlen) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(intlen));
        out += '.';
        out.append(digits, static_cast<std::size_t>(intlen));
    }
}

}  // namespace

// Appends x in the output number format: rounded by value to five decimals,
// then at most 12 significant digits, trailing zeros and point removed, never
// an exponent.
void fmtnum(double x, std::string& out)
{
    double y = (x >= 0 ? x + 0.000005 : x - 0.000005) * 100000;
    if (std::fabs(y) < 1e12) {
        // Below 10^7 the count of hundred-thousandths has at most 12 digits,
        // so its decimal text is exactly what 12 significant digits show.
        auto n = static_cast<std::int64_t>(y);
        if (n == 0) {
            out += '0';
            return;
        }
        // Digits from the right: five fraction digits (trailing zeros
        // dropped), the point, then the whole part.
        char text[32];
        char* end = text + sizeof text;
        char* p = end;
        bool neg = n < 0;
        auto m = static_cast<std::uint64_t>(neg ? -n : n);
        bool frac = false;
        for (int k = 0; k < 5; ++k) {
            auto digit = static_cast<char>('0' + m % 10);
            m /= 10;
            if (frac || digit != '0') {
                *--p = digit;
                frac = true;
            }
        }
        if (frac)
            *--p = '.';
        do {
            *--p = static_cast<char>('0' + m % 10);
            m /= 10;
        } while (m > 0);
        if (neg)
            *--p = '-';
        out.append(p, static_cast<std::size_t>(end - p));
        return;
    }
    char g[40];
    std::snprintf(g, sizeof g, "%.12g", value(x));
    fixed(g, out);
}

std::string numtext(double x)
{
    std::string s;
    fmtnum(x, s);
    return s;
}
