#include "quillard.h"

// A box whose operands have been read (sh: the sizes and their texts, the
// contents, the '-'): writes it, moves the current point to the middle of
// its far side and puts the reference point beside the box, on the left of
// the direction of travel for c >= 0 and on the right for c < 0.  A
// negative size is error 2 after the box has been written.
void boxput(const Shape& sh, int dashed, int dir, Points& pt, double c, double d, int boxopt,
            std::string& outbuf, int& errcode)
{
    double w = sh.val[0], h = sh.val[1];
    double x0 = pt.curx, y0 = pt.cury;
    Boxpos bp = boxpos(sh.minus ? (dir + 2) % 4 : dir, x0, y0, w, h);
    pt.curx = bp.x1;
    pt.cury = bp.y1;
    double cx = (x0 + bp.x1) / 2, cy = (y0 + bp.y1) / 2;
    double hw = w / 2, hh = h / 2;
    bool left = c >= 0;
    switch (dir) {
    case 0: pt.refx = cx; pt.refy = (left ? cy + hh : cy - hh) + c; break;
    case 1: pt.refx = (left ? cx - hw : cx + hw) - c; pt.refy = cy; break;
    case 2: pt.refx = cx; pt.refy = (left ? cy - hh : cy + hh) - c; break;
    default: pt.refx = (left ? cx + hw : cx - hw) + c; pt.refy = cy; break;
    }
    dbox(dashed, d, bp.x, bp.y, sh.text[0], sh.text[1], sh.contents, outbuf, boxopt);
    if (w < 0 || h < 0)
        errcode = 2;
}
