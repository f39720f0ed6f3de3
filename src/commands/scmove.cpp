#include "quillard.h"

// First pass of 'x', 'y', 'X' and 'Y'.  A move of the current point by a
// distance widens the extents by both its ends; a move to a label stays
// inside them.  'X' and 'Y' only check their operand.
void scmove(std::size_t pos, std::string_view line, char letter, const Labels& lab, Points& pt,
            Extents& ext, const Lengths& len, int& errcode)
{
    double d = 0;
    int slot = -1;
    int dist = moveop(pos, line, lab, len, d, slot, errcode);
    if (errcode != 0 || letter == 'X' || letter == 'Y')
        return;
    if (dist) {
        double x1 = pt.curx, y1 = pt.cury;
        if (letter == 'x')
            x1 += d;
        else
            y1 += d;
        minmax(pt.curx, pt.cury, pt.curx, pt.cury, ext);
        minmax(x1, y1, x1, y1, ext);
        pt.curx = x1;
        pt.cury = y1;
    } else if (letter == 'x') {
        pt.curx = lab.labx[static_cast<std::size_t>(slot)];
    } else {
        pt.cury = lab.laby[static_cast<std::size_t>(slot)];
    }
}
