#include "quillard.h"

// Second pass of 'x' and 'y': moves the current point by a distance or to a
// label's coordinate, and takes the reference point's same coordinate along.
void move(std::size_t pos, std::string_view line, char letter, const Labels& lab, Points& pt,
          const Lengths& len, int& errcode)
{
    double d = 0;
    int slot = -1;
    int dist = moveop(pos, line, lab, len, d, slot, errcode);
    if (errcode != 0)
        return;
    auto s = static_cast<std::size_t>(slot);
    if (letter == 'x') {
        pt.curx = dist ? pt.curx + d : lab.labx[s];
        pt.refx = pt.curx;
    } else {
        pt.cury = dist ? pt.cury + d : lab.laby[s];
        pt.refy = pt.cury;
    }
}
