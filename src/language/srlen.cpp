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
    // The characters taken: the decimal text, or the name of a reference
    // (after the '-' of '-$name', which counts as taken).
    char got[MAXNAME];
    std::size_t stored = 0;
    bool over = false;      // the operand's handling ended at once, pos set

    std::size_t i = pos + 1;
    char ch = at(line, i);
    if (ch != term) {
        i = skipbl(line, i);
        ch = at(line, i);
        if (isdigit_(ch) || ch == '.' || ch == '-') {
            got[stored++] = ch;
            dot = ch == '.';
            ++i;
        } else if (ch == '$') {
            kind = REF;
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
                    if (kind == DECIMAL) {
                        if (ch == '$' && stored == 1 && got[0] == '-') {
                            kind = NEGREF;
                            continue;
                        }
                        errcode = 1;
                        break;
                    }
                    if (ch == '\n' || ch == '\0') {
                        // A reference must be closed on its own line.
                        errcode = 1;
                        over = true;
                        break;
                    }
                }
                if (stored == MAXNAME) {
                    errcode = number ? 10 : 9;
                    over = true;
                    break;
                }
                dot = dot || ch == '.';
                got[stored++] = ch;
            }
        }
    }
    // The buffer holds the decimal text, or the '-' of '-$name' until the
    // reference is resolved.
    std::string_view name;
    if (kind == REF) {
        name = std::string_view(got, stored);
        buf.clear();
    } else if (kind == NEGREF) {
        name = std::string_view(got + 1, stored - 1);
        buf.clear();
        buf += '-';
    } else {
        buf.clear();
        buf.append(got, stored);
    }
    if (over) {
        pos = i;
        return;
    }
    // i is where the scan stopped: the terminator when the operand was read
    // to its end.
    // Nothing taken, or a '$' without a name, is an empty operand.
    if (stored == 0 || (kind != DECIMAL && name.empty())) {
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
        } else {
            const std::string& val = len.lenval[static_cast<std::size_t>(slot)];
            if (kind == REF)
                buf.append(val);
            else if (!val.empty() && val[0] == '-')
                buf.assign(val, 1);
            else
                buf.append(val);   // after its '-'
        }
    }
}
