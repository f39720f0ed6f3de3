#include "quillard.h"

// Reads '(name)' at the end of a command line.  pos enters on the '(' and
// leaves on the line end (the newline, or the first '%' of a "%%" comment).
void srlab(std::size_t& pos, std::string_view line, std::string& name, int& errcode)
{
    name.clear();
    std::size_t i = skipbl(line, pos + 1);
    char ch = at(line, i);
    if (isdigit_(ch) || ch == '.' || ch == '-' || ch == '$' || ch == '=') {
        errcode = 1;
        return;
    }
    for (;; ++i) {
        ch = at(line, i);
        if (ch == ')')
            break;
        if (isblank_(ch))
            continue;
        if (ch == '(' || ch == '=' || ch == '$' || ch == ',' || ch == '"' || ch == '\n' ||
            ch == '\0') {
            errcode = 1;
            return;
        }
        if (name.size() == MAXNAME) {
            errcode = 9;
            return;
        }
        name += ch;
    }
    if (name.empty()) {
        errcode = 1;
        return;
    }
    i = skipbl(line, i + 1);
    if (!lineend(line, i)) {
        errcode = 1;
        return;
    }
    pos = i;
}
