#include "quillard.h"

// First pass of a move whose operand has been read.  A move of the current
// point by the distance d widens the extents by both its ends; a move to the
// label in slot (slot >= 0) stays inside them.  'X' and 'Y' move nothing the
// first pass follows.
void scshift(char letter, int slot, double d, const Labels& lab, Points& pt, Extents& ext)
{
    if (letter == 'X' || letter == 'Y')
        return;
    if (slot < 0) {
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
