#include "quillard.h"

// First pass of the line commands: moves the current point by a length or
// to a label's coordinate; a move by a length widens the extents.
void scline(std::size_t pos, std::string_view line, int dir, const Labels& lab, Points& pt,
            Extents& ext, const Lengths& len, int minus, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) == '!')
        i = skipbl(line, i + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return;
    }
    if (numstart(at(line, skipbl(line, i + 1)))) {
        std::string buf;
        int comma = 0;
        double length = srlval(i, line, buf, comma, errcode, ')', len);
        if (errcode != 0)
            return;
        stride(minus ? (dir + 2) % 4 : dir, length, pt, ext);
        return;
    }
    std::string name;
    srlab(i, line, name, errcode);
    if (errcode != 0)
        return;
    int slot = lookup(lab, name, errcode);
    if (slot < 0)
        return;
    if (dir == 0 || dir == 2)
        pt.curx = lab.labx[static_cast<std::size_t>(slot)];
    else
        pt.cury = lab.laby[static_cast<std::size_t>(slot)];
}
