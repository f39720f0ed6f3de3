#include "quillard.h"

// First pass of 'b' and 'B': the box widens the extents and the current point
// moves to the middle of its far side.
void scbox(std::size_t pos, std::string_view line, int dir, Points& pt, Extents& ext,
           const Lengths& len, int minus, int& errcode)
{
    Boxgeom bg;
    if (boxop(pos, line, len, bg, errcode))
        boxstep(minus ? (dir + 2) % 4 : dir, bg.w, bg.h, pt, ext);
}
