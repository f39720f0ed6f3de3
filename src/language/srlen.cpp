#include "quillard.h"

// Scans one operand of a parenthesised list: decimal text, '$name' or
// '-$name', ended by term.  pos enters on the character before the operand
// and leaves just before the next operand (after a ',') or on the first
// non-blank character after the ')'.  The comma counter counts the commas of
// the list; it becomes -1 for an empty operand and -2 when bad text follows
// the ')'.
void srlen(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
           int& errcode, char term, const Lengths& len)
{
    enum { DECIMAL, REF, NEGREF } kind = DECIMAL;
    bool dot = false;       // the first '.' has been taken
    std::string name;       // the name of a reference
    std::size_t stored = 0; // characters taken, the '-' of '-$name' included
    buf.clear();

    std::size_t i = pos + 1;
    char ch = at(line, i);
    if (ch != term) {
        i = skipbl(line, i);
        ch = at(line, i);
        if (isdigit_(ch) || ch == '.' || ch == '-') {
            buf += ch;
            stored = 1;
            dot = ch == '.';
            ++i;
        } else if (ch == '$') {
            kind = REF;
            ++i;
        } else {
            errcode = 1;
        }
        if (errcode == 0) {
            for (;;) {
                ch = at(line, i);
                if (ch == term)
                    break;
                if (isblank_(ch)) {
                    ++i;
                    continue;
                }
                if (kind != DECIMAL && (ch == '\n' || ch == '\0')) {
                    // A reference must be closed on its own line.
                    errcode = 1;
                    pos = i;
                    return;
                }
                bool take;
                if (isdigit_(ch) || (ch == '.' && !dot)) {
                    take = true;
                } else if (kind != DECIMAL) {
                    take = ch != '\n' && ch != '\0';
                } else if (ch == '$' && buf == "-") {
                    kind = NEGREF;
                    ++i;
                    continue;
                } else {
                    take = false;
                }
                if (!take) {
                    errcode = 1;
                    break;
                }
                if (stored == MAXNAME) {
                    errcode = (isdigit_(ch) || (ch == '.' && !dot)) ? 10 : 9;
                    pos = i;
                    return;
                }
                if (ch == '.' && !dot)
                    dot = true;
                if (kind == DECIMAL)
                    buf += ch;
                else
                    name += ch;
                ++stored;
                ++i;
            }
        }
    }
    // i is where the scan stopped: the terminator when the operand was read
    // to its end.
    // Nothing taken, or a '$' without a name, is an empty operand.
    bool bare = kind != DECIMAL && name.empty();
    if (stored == 0 || bare) {
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
    if (kind != DECIMAL) {
        int slot = findlen(len, name);
        if (slot < 0) {
            undeflen(name);
            errcode = 7;
        } else if (kind == REF) {
            buf = len.lenval[static_cast<std::size_t>(slot)];
        } else {
            const std::string& val = len.lenval[static_cast<std::size_t>(slot)];
            if (!val.empty() && val[0] == '-')
                buf.assign(val, 1);
            else
                buf = "-" + val;
        }
    }
}
