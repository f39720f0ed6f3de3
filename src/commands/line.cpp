#include "quillard.h"

// Second pass of the line commands: reads the operand, a length or a label,
// and leaves the segment to dseg.
void dline(int dash, int cap, std::size_t pos, std::string_view line, std::string& outbuf,
           int dir, const Labels& lab, Points& pt, const Params& par, const Lengths& len,
           int minus, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return;
    }
    Shape sh{};
    sh.slot = -1;
    sh.dash = dash;
    sh.minus = minus;
    std::string lentext;   // the operand as written, or the length's value
    if (numstart(at(line, skipbl(line, i + 1)))) {
        int comma = 0;
        sh.val[0] = srlval(i, line, lentext, comma, errcode, ')', len);
        if (errcode != 0)
            return;
        sh.text[0] = lentext;
    } else {
        std::string name;
        srlab(i, line, name, errcode);
        if (errcode != 0)
            return;
        sh.slot = lookup(lab, name, errcode);
        if (sh.slot < 0)
            return;
    }
    dseg(sh, cap, outbuf, dir, lab, pt, par, errcode);
}

// Writes n in the given base into s and returns s; a negative base leaves s
// as it is.
std::string& itoa(int n, std::string& s, int base)
{
    if (base < 0)
        return s;
    s.clear();
    // The magnitude in unsigned arithmetic, so that INT_MIN has one too.
    unsigned m = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    auto b = static_cast<unsigned>(base < 2 ? 10 : base);
    do {
        s += static_cast<char>('0' + m % b);
        m /= b;
    } while (m > 0);
    if (n < 0)
        s += '-';
    reverse(s);
    return s;
}

// Reverses a text in place.
void reverse(std::string& s)
{
    for (std::size_t i = 0, j = s.size(); i + 1 < j; ++i, --j)
        std::swap(s[i], s[j - 1]);
}
