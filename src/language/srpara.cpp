#include "quillard.h"

// Scans the value of a parameter command, after the '=' at pos: decimal text
// or a '$name' reference, up to the newline or a "%%" comment.
void srpara(std::size_t pos, std::string_view line, std::string& buf, const Lengths& len,
            int& errcode)
{
    buf.clear();
    std::size_t i = pos + 1;
    if (at(line, i) == '\n') {
        errcode = 1;
        return;
    }
    i = skipbl(line, i);
    if (at(line, i) == '$') {
        ++i;
        if (at(line, i) == '\n') {
            errcode = 1;
            return;
        }
        std::string name;
        for (; !lineend(line, i); ++i) {
            char ch = at(line, i);
            if (isblank_(ch))
                continue;
            if (ch == '%' || ch == '\0') {
                errcode = 1;
                return;
            }
            if (name.size() == MAXNAME) {
                errcode = 10;
                return;
            }
            name += ch;
        }
        if (name.empty()) {
            errcode = 1;
            return;
        }
        int slot = findlen(len, name);
        if (slot < 0) {
            undeflen(name);
            errcode = 7;
            return;
        }
        buf = len.lenval[static_cast<std::size_t>(slot)];
        return;
    }
    char ch = at(line, i);
    if (!(isdigit_(ch) || ch == '.' || ch == '-')) {
        errcode = 1;
        return;
    }
    bool dot = false;
    for (; !lineend(line, i); ++i) {
        ch = at(line, i);
        if (isblank_(ch))
            continue;
        if (!(isdigit_(ch) || (ch == '.' && !dot) || (ch == '-' && buf.empty()))) {
            errcode = 1;
            return;
        }
        if (buf.size() == MAXNAME) {
            errcode = 10;
            return;
        }
        dot = dot || ch == '.';
        buf += ch;
    }
    if (buf.empty())
        errcode = 1;
}
