#include "quillard.h"

// Collects a label or length name from i up to the character stop, blanks
// and tabs dropped.  The name may not begin with a digit, '.', '-', '$' or
// '='; '(', ')', '=', '$', ',', the double quote and the line end are not
// allowed inside (stop itself ends it).  A 31st character is error 9.  On
// success i is left on stop.
bool srname(std::string_view line, std::size_t& i, char stop, std::string& name, int& errcode)
{
    char got[MAXNAME];
    std::size_t n = 0;
    name.clear();
    i = skipbl(line, i);
    char ch = at(line, i);
    if (isdigit_(ch) || ch == '.' || ch == '-' || ch == '$' || ch == '=') {
        errcode = 1;
        return false;
    }
    for (;; ++i) {
        ch = at(line, i);
        if (ch == stop)
            break;
        if (isblank_(ch))
            continue;
        if (ch == '(' || ch == ')' || ch == '=' || ch == '$' || ch == ',' || ch == '"' ||
            ch == '\n' || ch == '\0') {
            errcode = 1;
            name.append(got, n);
            return false;
        }
        if (n == MAXNAME) {
            errcode = 9;
            name.append(got, n);
            return false;
        }
        got[n++] = ch;
    }
    if (n == 0) {
        errcode = 1;
        return false;
    }
    name.append(got, n);
    return true;
}
