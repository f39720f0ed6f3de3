#include "quillard.h"

// A '$' line: '$' name '=' value, defining or redefining one length.
void setlen(std::size_t pos, std::string_view line, Lengths& len, int& errcode)
{
    std::string name, val;
    std::size_t i = pos + 1;
    if (!srname(line, i, '=', name, errcode))
        return;
    i = skipbl(line, i + 1);
    char ch = at(line, i);
    if (!(isdigit_(ch) || ch == '.' || ch == '-')) {
        errcode = 1;
        return;
    }
    bool dot = false;
    for (bool first = true;; ++i, first = false) {
        ch = at(line, i);
        if (lineend(line, i))
            break;
        if (isblank_(ch))
            continue;
        if (!(isdigit_(ch) || (ch == '.' && !dot) || (ch == '-' && first))) {
            errcode = 1;
            return;
        }
        if (val.size() == MAXNAME) {
            errcode = 10;
            return;
        }
        dot = dot || ch == '.';
        val += ch;
    }
    if (len.nlen >= MAXLEN) {
        errcode = 8;
        return;
    }
    int slot = findlen(len, name);
    if (slot >= 0) {
        put(term, "\nWarning:  Redeclaration of length '$");
        put(term, name);
        put(term, "'");
        len.lenval[static_cast<std::size_t>(slot)] = val;
        len.lennum[static_cast<std::size_t>(slot)] = tonum(val);
        errcode = -1;
        return;
    }
    len.lenname[static_cast<std::size_t>(len.nlen)] = name;
    len.lenval[static_cast<std::size_t>(len.nlen)] = val;
    len.lennum[static_cast<std::size_t>(len.nlen)] = tonum(val);
    ++len.nlen;
    addname(len.idx, len.lenname.data(), len.nlen);
}
