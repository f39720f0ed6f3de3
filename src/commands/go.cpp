#include "quillard.h"

// Second pass of 'g': jumps to a label and puts the reference point beside
// it, on the left of the direction of travel.
void go(std::size_t pos, std::string_view line, const Labels& lab, Points& pt, int dir,
        double c, int& errcode)
{
    int slot = -1;
    if (!golab(pos, line, lab, slot, errcode))
        return;
    pt.curx = lab.labx[static_cast<std::size_t>(slot)];
    pt.cury = lab.laby[static_cast<std::size_t>(slot)];
    refleft(pt, dir, c);
}
