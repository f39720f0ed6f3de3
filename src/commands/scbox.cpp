#include "quillard.h"

// First pass of 'b' and 'B': the box widens the extents and the current point
// moves to the middle of its far side.
void scbox(std::size_t pos, std::string_view line, int dir, Points& pt, Extents& ext,
           const Lengths& len, int minus, int& errcode)
{
    Boxgeom bg;
    bg.x0 = pt.curx;
    bg.y0 = pt.cury;
    if (!boxop(pos, line, dir, minus, len, bg, errcode))
        return;
    minmax(bg.x + bg.w, bg.y + bg.h, bg.x, bg.y, ext);
    pt.curx = bg.x1;
    pt.cury = bg.y1;
}
