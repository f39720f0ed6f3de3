#include "quillard.h"

// Reads the operand of an 's' line: '(' gap ')' or empty parentheses, which
// stand for the default gap s.  Returns false, with the error code set, when
// the line is not in order.
bool sampop(std::size_t pos, std::string_view line, double s, const Lengths& len, double& gap,
            int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return false;
    }
    std::size_t open = i;
    std::string buf;
    int comma = 0;
    double v = srlval(i, line, buf, comma, errcode, ')', len);
    // Only parentheses with nothing but blanks between them, and the line in
    // order after them, take the default.
    if (comma == -1 && errcode == 1 && at(line, skipbl(line, open + 1)) == ')') {
        errcode = 0;
        gap = s;
        return true;
    }
    if (errcode != 0)
        return false;
    gap = v;
    return true;
}
