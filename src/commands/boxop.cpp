#include "quillard.h"

// Reads the operands of a box line, '(width, height, "contents")' and the
// end of the line.  Returns false, with the error code set, when the line is
// not in order.
bool boxop(std::size_t pos, std::string_view line, const Lengths& len, Boxgeom& bg,
           int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return false;
    }
    int comma = 0;
    double w = srlval(i, line, bg.width, comma, errcode, ',', len);
    if (errcode != 0)
        return false;
    double h = srlval(i, line, bg.height, comma, errcode, ',', len);
    if (errcode != 0)
        return false;
    comment(i, line, bg.contents, errcode);
    if (errcode != 0)
        return false;
    bg.w = w;
    bg.h = h;
    return true;
}
