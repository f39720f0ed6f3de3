#include "quillard.h"

// Second pass of 'b' and 'B': writes the box, moves the current point to the
// middle of its far side and puts the reference point beside the box, on the
// left of the direction of travel for c >= 0 and on the right for c < 0.
// A negative size is error 2 after the box has been written.
void box(std::size_t pos, std::string_view line, std::string& outbuf, int dashed, int dir,
         Points& pt, double c, double d, const Lengths& len, int minus, int boxopt,
         int& errcode)
{
    Boxgeom bg;
    bg.x0 = pt.curx;
    bg.y0 = pt.cury;
    if (!boxop(pos, line, dir, minus, len, bg, errcode))
        return;
    pt.curx = bg.x1;
    pt.cury = bg.y1;
    double cx = (bg.x0 + bg.x1) / 2, cy = (bg.y0 + bg.y1) / 2;
    double hw = bg.w / 2, hh = bg.h / 2;
    bool left = c >= 0;
    switch (dir) {
    case 0: pt.refx = cx; pt.refy = (left ? cy + hh : cy - hh) + c; break;
    case 1: pt.refx = (left ? cx - hw : cx + hw) - c; pt.refy = cy; break;
    case 2: pt.refx = cx; pt.refy = (left ? cy - hh : cy + hh) - c; break;
    default: pt.refx = (left ? cx + hw : cx - hw) + c; pt.refy = cy; break;
    }
    dbox(dashed, d, bg.x, bg.y, bg.width, bg.height, bg.contents,
         outbuf, boxopt);
    if (bg.w < 0 || bg.h < 0)
        errcode = 2;
}
