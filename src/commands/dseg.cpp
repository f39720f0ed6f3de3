#include "quillard.h"

#include <cmath>

// The segment of a line command whose operand has been read (sh: a length
// and its text, or a label's slot; the '!' and the '-'): works out its stops
// at circle nodes, checks its direction, moves the current point, sets the
// reference point beside the segment and writes it, solid or dashed.
void dseg(const Shape& sh, int cap, std::string& outbuf, int dir, const Labels& lab,
          Points& pt, const Params& par, int& errcode)
{
    const int dash = sh.dash, minus = sh.minus;
    const double a = par.a;
    const double ux = unitx(dir), uy = unity(dir);
    const double sgn = minus ? -1.0 : 1.0;   // the near end moves by sgn * a * u
    const double x0 = pt.curx, y0 = pt.cury;
    double nx = x0, ny = y0;   // near end
    double fx, fy;             // far end
    double length = 0;
    bool numlen = false;   // the length is written from its number, not its text
    int sx = slopex(dir), sy = slopey(dir);
    if (sh.slot < 0) {
        length = sh.val[0];
        pt.curx = x0 + sgn * length * ux;
        pt.cury = y0 + sgn * length * uy;
        fx = pt.curx;
        fy = pt.cury;
        bool at0 = atnode(lab, x0, y0, a), at1 = atnode(lab, pt.curx, pt.cury, a);
        bool stopped = false;
        if (at0) {
            nx += sgn * a * ux;
            ny += sgn * a * uy;
            length -= a;
            stopped = true;
        }
        if (at1) {
            fx -= sgn * a * ux;
            fy -= sgn * a * uy;
            length -= a;
            stopped = true;
        }
        if (stopped) {
            if (length < 0) {
                errcode = 2;
                pt.curx = x0;
                pt.cury = y0;
                return;
            }
            numlen = true;
        } else if (length < 0) {
            errcode = 2;   // written all the same, and the point has moved
        }
    } else {
        auto slot = static_cast<std::size_t>(sh.slot);
        if (dir == 0 || dir == 2)
            pt.curx = lab.labx[slot];
        else
            pt.cury = lab.laby[slot];
        fx = pt.curx;
        fy = pt.cury;
        bool at0 = atnode(lab, x0, y0, a), at1 = atnode(lab, pt.curx, pt.cury, a);
        if (at0) {
            nx += sgn * a * ux;
            ny += sgn * a * uy;
        }
        if (at1) {
            fx -= sgn * a * ux;
            fy -= sgn * a * uy;
        }
        bool across = dir == 0 || dir == 2;
        double t = minus ? (across ? fx : fy) : (across ? nx : ny);
        double h = minus ? (across ? nx : ny) : (across ? fx : fy);
        if (!dash) {
            // The slope towards the label, as linep and linev give it.
            int s = towards(t, h);
            sx = across ? s : 0;
            sy = across ? 0 : s;
            length = std::fabs(h - t);
            numlen = true;
            if (s != (dir < 2 ? 1 : -1))
                errcode = 6;   // the label lies behind: written with its own slope
        } else {
            length = dir < 2 ? h - t : t - h;
            if (length < 0) {
                errcode = 6;
                pt.curx = x0;
                pt.cury = y0;
                return;
            }
        }
    }
    pt.refx = (nx + fx) / 2 - unity(dir) * par.c;
    pt.refy = (ny + fy) / 2 + unitx(dir) * par.c;
    double tx = minus ? fx : nx, ty = minus ? fy : ny;
    if (dash)
        dashed(tx, ty, dir, length, cap, minus, par.e, par.i, par.o, outbuf);
    else if (numlen)
        subline(cap, tx, ty, sx, sy, length, outbuf);
    else
        subline(cap, tx, ty, sx, sy, sh.text[0], outbuf);
}
