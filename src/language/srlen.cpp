#include "quillard.h"

namespace {

// What the scan of one operand found, before the rest of the line is looked
// at: the decimal text or the name of a reference, and where the scan
// stopped.  The texts lie in the line (the quick scan) or in got (the
// general scan, which drops blanks).
struct Operand {
    enum { DECIMAL, REF, NEGREF } kind = DECIMAL;
    std::string_view text;  // the decimal text
    std::string_view name;  // the name of a reference
    std::size_t i = 0;      // where the scan stopped: the terminator when read to its end
    bool over = false;      // the operand's handling ended at once, pos set to i
    // The quick scan of a decimal text: its digits as an integer (exact when
    // there are at most 15 of them), and how many there are and how many
    // follow the point; digits -1 for any other operand.
    std::uint64_t m = 0;
    int digits = -1, frac = 0;
    char got[MAXNAME];
};

// Powers of ten that a double holds exactly, for values of up to 15 digits.
constexpr double TENS[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The general scan of an operand, character by character: blanks dropped
// anywhere, every error found.
void general(std::size_t pos, std::string_view line, char term, int& errcode, Operand& op)
{
    op.kind = Operand::DECIMAL;
    op.over = false;
    op.digits = -1;
    bool dot = false;       // the first '.' has been taken
    // The characters taken: the decimal text, or the name of a reference
    // (after the '-' of '-$name', which counts as taken).
    std::size_t stored = 0;
    std::size_t i = pos + 1;
    char ch = at(line, i);
    if (ch != term) {
        i = skipbl(line, i);
        ch = at(line, i);
        if (isdigit_(ch) || ch == '.' || ch == '-') {
            op.got[stored++] = ch;
            dot = ch == '.';
            ++i;
        } else if (ch == '$') {
            op.kind = Operand::REF;
            ++i;
        } else {
            errcode = 1;
        }
        if (errcode == 0) {
            for (;; ++i) {
                ch = at(line, i);
                if (ch == term)
                    break;
                if (isblank_(ch))
                    continue;
                bool number = isdigit_(ch) || (ch == '.' && !dot);
                if (!number) {
                    if (op.kind == Operand::DECIMAL) {
                        if (ch == '$' && stored == 1 && op.got[0] == '-') {
                            op.kind = Operand::NEGREF;
                            continue;
                        }
                        errcode = 1;
                        break;
                    }
                    if (ch == '\n' || ch == '\0') {
                        // A reference must be closed on its own line.
                        errcode = 1;
                        op.over = true;
                        break;
                    }
                }
                if (stored == MAXNAME) {
                    errcode = number ? 10 : 9;
                    op.over = true;
                    break;
                }
                dot = dot || ch == '.';
                op.got[stored++] = ch;
            }
        }
    }
    op.text = std::string_view(op.got, stored);
    op.name = op.kind == Operand::REF      ? op.text
              : op.kind == Operand::NEGREF ? op.text.substr(1)
                                           : std::string_view();
    op.i = i;
}

// The quick scan of the operands almost every line has: after blanks, a
// decimal text of an optional '-', digits and at most one '.', or '$name'
// or '-$name', with no blank inside and the terminator right after it.
// Returns false, having changed nothing but op, for any other text, which
// the general scan then reads; where it returns true, the general scan
// finds the same operand and no error.
bool quick(std::size_t pos, std::string_view line, char term, Operand& op)
{
    const char* p = line.data();
    std::size_t n = line.size();
    std::size_t i = pos + 1;
    if (i >= n || p[i] == term)
        return false;
    while (isblank_(p[i]))
        if (++i == n)
            return false;
    std::size_t from = i;
    char ch = p[i];
    if (ch == '-' && i + 1 < n && p[i + 1] == '$') {
        op.kind = Operand::NEGREF;
        ++i;
    } else if (ch == '$') {
        op.kind = Operand::REF;
    }
    if (op.kind != Operand::DECIMAL) {
        // A name: anything up to the terminator but blanks and the line end.
        std::size_t name = ++i;
        for (; i < n; ++i) {
            ch = p[i];
            if (ch == term || isblank_(ch) || ch == '\n' || ch == '\0')
                break;
        }
        // The '-' of '-$name' counts towards the limit.
        std::size_t taken = i - name + (op.kind == Operand::NEGREF);
        if (i == n || ch != term || i == name || taken > MAXNAME)
            return false;
        op.name = std::string_view(p + name, i - name);
        op.i = i;
        return true;
    }
    // The digits are summed as they go; the sum is used only when there are
    // few enough of them, so that its wrapping around does no harm.
    i += ch == '-';
    std::size_t ints = i;
    std::uint64_t m = 0;
    unsigned d;
    while (i < n && (d = static_cast<unsigned char>(p[i]) - unsigned{'0'}) <= 9) {
        m = m * 10 + d;
        ++i;
    }
    std::size_t point = i;
    if (i < n && p[i] == '.') {
        ++i;
        while (i < n && (d = static_cast<unsigned char>(p[i]) - unsigned{'0'}) <= 9) {
            m = m * 10 + d;
            ++i;
        }
    }
    if (i == n || p[i] != term || i == from || i - from > MAXNAME)
        return false;
    op.text = std::string_view(p + from, i - from);
    op.m = m;
    op.frac = point < i ? static_cast<int>(i - point - 1) : 0;
    op.digits = static_cast<int>(point - ints) + op.frac;
    op.i = i;
    return true;
}

// The rest of the line after the operand, and the resolution of a
// reference; buf gets the operand's text.
[[gnu::always_inline]] inline void finish(std::size_t& pos, std::string_view line,
                                          std::string& buf, int& comma, int& errcode,
                                          char term, const Lengths& len, const Operand& op)
{
    // The buffer holds the decimal text, or the '-' of '-$name' until the
    // reference is resolved.
    if (op.kind == Operand::DECIMAL)
        buf.assign(op.text);
    else if (op.kind == Operand::REF)
        buf.clear();
    else
        buf.assign(1, '-');
    std::size_t i = op.i;
    if (op.over) {
        pos = i;
        return;
    }
    // Nothing taken, or a '$' without a name, is an empty operand.
    if (op.kind == Operand::DECIMAL ? op.text.empty() : op.name.empty()) {
        errcode = 1;
        comma = -1;
    }

    // The rest of the line.
    std::size_t j = i + 1;
    if (term == ',') {
        ++comma;
        j = skipbl(line, j);
        char nx = at(line, j);
        if (comma == 1) {
            if (!numstart(nx))
                errcode = 1;
        } else if (nx != '"') {
            errcode = 1;
        }
        pos = j - 1;
    } else {
        j = skipbl(line, j);
        if (!lineend(line, j)) {
            errcode = 1;
            comma = -2;
        }
        pos = j;
    }

    // A reference is resolved even after a syntax error, so that an
    // undefined name is reported by name.
    if (op.kind != Operand::DECIMAL) {
        int slot = findlen(len, op.name);
        if (slot < 0) {
            undeflen(op.name);
            errcode = 7;
        } else {
            const std::string& val = len.lenval[static_cast<std::size_t>(slot)];
            if (op.kind == Operand::REF)
                buf.append(val);
            else if (!val.empty() && val[0] == '-')
                buf.assign(val, 1);
            else
                buf.append(val);   // after its '-'
        }
    }
}

[[gnu::always_inline]] inline void scan(std::size_t& pos, std::string_view line, std::string& buf, int& comma, int& errcode,
          char term, const Lengths& len, Operand& op)
{
    if (errcode != 0 || !quick(pos, line, term, op))
        general(pos, line, term, errcode, op);
    finish(pos, line, buf, comma, errcode, term, len, op);
}

}  // namespace

// Scans one operand of a parenthesised list: decimal text, '$name' or
// '-$name', ended by term.  pos enters on the character before the operand
// and leaves just before the next operand (after a ',') or on the first
// non-blank character after the ')'.  The comma counter counts the commas of
// the list; it becomes -1 for an empty operand and -2 when bad text follows
// the ')'.
void srlen(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
           int& errcode, char term, const Lengths& len)
{
    Operand op;
    scan(pos, line, buf, comma, errcode, term, len, op);
}

// The same scan with the operand's value: tonum of its text, taken from the
// digits the quick scan counted where they are few enough to be exact (at
// most 15 digits form an integer below 2^53, and 10^k for k <= 15 is exact:
// one correctly rounded division gives the correctly rounded value).
double srlval(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
              int& errcode, char term, const Lengths& len)
{
    Operand op;
    scan(pos, line, buf, comma, errcode, term, len, op);
    if (errcode != 0)
        return 0;
    if (op.digits < 0 || op.digits > 15)
        return tonum(buf);   // a reference, a text of the general scan, or many digits
    if (op.digits == 0)
        return 0;   // '-', '.' or '-.'
    double v = static_cast<double>(op.m);
    if (op.frac > 0)
        v /= TENS[op.frac];
    return op.text[0] == '-' ? -v : v;
}

// The scan by the general path alone, which the quick one must match.
void srlslow(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
             int& errcode, char term, const Lengths& len)
{
    Operand op;
    general(pos, line, term, errcode, op);
    finish(pos, line, buf, comma, errcode, term, len, op);
}
