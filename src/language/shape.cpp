#include "quillard.h"

// The shapes most command lines have, read in one go for both passes:
//
//   [-] r (1.5)   [-] R ! ($len)   r (label)      a line command
//   x (1.5)   Y ($len)   x (label)               a move
//   t (r)                                         a turn
//   [-] b (1.4, $h, "text")                       a box, framed or dashed
//   [-] s (0.5)   s ($gap)   s ()                 a sampler
//   c ("text")                                    an annotation
//   g (label)                                     a jump
//   an empty line, a blank one, a '%' line        nothing to read
//
// with blanks where the general scanners allow them (but none inside an
// operand), decimal operands of at most 15 digits and names of lengths and
// labels that are defined.  Such a line is one the general scanners read
// without an error, and what shape() leaves in sh is what they find: the
// values as srlval gives them, the operand texts as the writers take them,
// the first label and length of each name.  Any other line gives false and
// takes the general path.  shape() changes nothing but sh.
//
// The line must end with its newline (any line of a source but a last one
// without it): every scan below stops at a newline, so none of them needs
// to look for the end of the text.

namespace {

inline bool blank(char ch) { return ch == ' ' || ch == '\t'; }

inline const char* skip(const char* p)
{
    while (blank(*p))
        ++p;
    return p;
}

// The end of a command line: its newline or a "%%" comment.
inline bool ends(const char* p)
{
    return *p == '\n' || (*p == '%' && p[1] == '%');
}

// Powers of ten that a double holds exactly, for values of up to 15 digits.
constexpr double TENS[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// An operand from p (blanks first): a decimal text or '$name', and right
// after it the terminator, where the result points; nullptr for anything
// else, a '-$name' or an undefined length among it.  The value is srlval's:
// at most 15 digits form an exact integer, and one correctly rounded
// division by an exact power of ten gives the correctly rounded value.
// Written out where it is used: the call cost as much as a short operand.
[[gnu::always_inline]] inline const char* operand(const char* p, char term, const Lengths& len,
                                                  double& v, std::string_view& text)
{
    p = skip(p);
    const char* from = p;
    if (*p == '$') {
        const char* name = ++p;
        while (*p != term && !blank(*p) && *p != '\n' && *p != '\0')
            ++p;
        if (*p != term || p == name || p - name > MAXNAME)
            return nullptr;
        int slot = findlen(len, std::string_view(name, static_cast<std::size_t>(p - name)));
        if (slot < 0)
            return nullptr;
        text = len.lenval[static_cast<std::size_t>(slot)];
        v = len.lennum[static_cast<std::size_t>(slot)];
        return p;
    }
    bool neg = *p == '-';
    p += neg;
    std::uint64_t m = 0;
    int digits = 0, frac = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
        m = m * 10 + d;
        ++digits;
        ++p;
    }
    if (*p == '.') {
        ++p;
        while ((d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9) {
            m = m * 10 + d;
            ++frac;
            ++p;
        }
    }
    digits += frac;
    if (digits == 0 || digits > 15 || *p != term)
        return nullptr;
    v = static_cast<double>(m);
    if (frac > 0)
        v /= TENS[frac];
    if (neg)
        v = -v;
    text = std::string_view(from, static_cast<std::size_t>(p - from));
    return p;
}

// A label's name from p up to a ')' right after it, and the end of the
// line after that ')'; its first slot, or -1 for anything else.  A name
// with blanks inside is left to the general scan, which drops them.  (A
// name may not start with '$' or '=' either, which it may not hold at all.)
inline int label(const char* p, const Labels& lab)
{
    const char* name = p;
    if (isdigit_(*p) || *p == '.' || *p == '-')
        return -1;
    for (;; ++p) {
        char ch = *p;
        if (ch == ')' || blank(ch) || ch == '(' || ch == '=' || ch == '$' || ch == ',' ||
            ch == '"' || ch == '\n' || ch == '\0')
            break;
    }
    if (*p != ')' || p == name || p - name > MAXNAME || !ends(skip(p + 1)))
        return -1;
    return findlab(lab, std::string_view(name, static_cast<std::size_t>(p - name)));
}

// '"text")' and the end of the line, from p (blanks first).
inline bool quote(const char* p, std::string_view& contents)
{
    p = skip(p);
    if (*p != '"')
        return false;
    const char* text = ++p;
    while (*p != '"' && *p != '\n')
        ++p;
    if (*p != '"')
        return false;
    contents = std::string_view(text, static_cast<std::size_t>(p - text));
    p = skip(p + 1);
    return *p == ')' && ends(skip(p + 1));
}

// '(' and the operand of a line command or a move, a length or a label,
// and the end of the line.
inline bool target(const char* p, const Labels& lab, const Lengths& len, Shape& sh)
{
    if (*p != '(')
        return false;
    p = skip(p + 1);
    if (numstart(*p)) {
        p = operand(p, ')', len, sh.val[0], sh.text[0]);
        return p != nullptr && ends(skip(p + 1));
    }
    sh.slot = label(p, lab);
    return sh.slot >= 0;
}

}  // namespace

bool shape(std::string_view line, const Labels& lab, const Lengths& len, Shape& sh)
{
    sh.indent = sh.pos = 0;
    sh.cmd = 0;
    sh.minus = sh.dash = 0;
    sh.slot = sh.turn = -1;
    sh.val[0] = sh.val[1] = 0;
    sh.text[0] = {};
    sh.text[1] = {};
    sh.contents = {};
    if (line.empty() || line.back() != '\n')
        return false;
    const char* p = skip(line.data());
    sh.indent = static_cast<std::size_t>(p - line.data());
    sh.minus = *p == '-';
    if (sh.minus)
        p = skip(p + 1);
    sh.pos = static_cast<std::size_t>(p - line.data());
    char ch = *p;
    sh.cmd = ch;
    switch (ch) {
    case 'r': case 'u': case 'l': case 'd': case 'R': case 'U': case 'L': case 'D':
        p = skip(p + 1);
        sh.dash = *p == '!';
        return target(sh.dash ? skip(p + 1) : p, lab, len, sh);
    case 'x': case 'y': case 'X': case 'Y':
        return !sh.minus && target(skip(p + 1), lab, len, sh);
    case '\n': case '%':
        return !sh.minus;
    case 'b': case 'B': {
        p = skip(p + 1);
        if (*p != '(')
            return false;
        p = operand(p + 1, ',', len, sh.val[0], sh.text[0]);
        if (p == nullptr)
            return false;
        p = operand(p + 1, ',', len, sh.val[1], sh.text[1]);
        return p != nullptr && quote(p + 1, sh.contents);
    }
    case 's':
        // Empty parentheses stand for the default gap; text[0] stays empty.
        p = skip(p + 1);
        if (*p != '(')
            return false;
        p = skip(p + 1);
        if (*p != ')')
            p = operand(p, ')', len, sh.val[0], sh.text[0]);
        return p != nullptr && ends(skip(p + 1));
    case 'c':
        p = skip(p + 1);
        return !sh.minus && *p == '(' && quote(p + 1, sh.contents);
    case 't':
        p = skip(p + 1);
        if (sh.minus || *p != '(')
            return false;
        p = skip(p + 1);
        // Only the lower-case letters name a direction.
        sh.turn = *p >= 'a' ? linedir(*p) : -1;
        return sh.turn >= 0 && p[1] == ')' && ends(skip(p + 2));
    case 'g':
        p = skip(p + 1);
        if (sh.minus || *p != '(')
            return false;
        sh.slot = label(skip(p + 1), lab);
        return sh.slot >= 0;
    default:
        return false;
    }
}
