#include "quillard.h"

// Reads the operand of 'x', 'y', 'X' and 'Y': '(' and a distance, or '(' and
// a label name that must be defined.  Returns 1 for a distance (in d), 0 for
// a label (its slot in slot); the error code tells whether either was read.
int moveop(std::size_t pos, std::string_view line, const Labels& lab, const Lengths& len,
           double& d, int& slot, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return 0;
    }
    if (numstart(at(line, skipbl(line, i + 1)))) {
        std::string buf;
        int comma = 0;
        d = srlval(i, line, buf, comma, errcode, ')', len);
        return 1;
    }
    golab(pos, line, lab, slot, errcode);
    return 0;
}
