#include "quillard.h"

#include <cstdio>
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

// The output number format by its definition: value() rounds to five
// decimals, "%.12g" gives the digits, and a text with an exponent is written
// out in fixed notation.  fmtnum takes this way for the values its own digit
// writing does not cover; the tests hold the two against each other.
void fmtslow(double x, std::string& out)
{
    char g[40];
    std::snprintf(g, sizeof g, "%.12g", value(x));
    fixed(g, out);
}
