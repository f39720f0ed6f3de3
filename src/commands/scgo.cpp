#include "quillard.h"

// First pass of 'g': jumps to a label without measuring anything.
void scgo(std::size_t pos, std::string_view line, const Labels& lab, Points& pt, int& errcode)
{
    int slot = -1;
    if (!golab(pos, line, lab, slot, errcode))
        return;
    pt.curx = lab.labx[static_cast<std::size_t>(slot)];
    pt.cury = lab.laby[static_cast<std::size_t>(slot)];
}
