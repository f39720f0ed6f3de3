#include "quillard.h"

// Second pass of 's': a sampler, a gap bridged by one slanted stroke that
// leans up (travelling across) or left (travelling up or down).  Under -s the
// stroke is a staircase of 100 short segments along the direction.  A gap
// that is not positive is error 2 after the stroke has been written.
void sample(std::size_t pos, std::string_view line, std::string& outbuf, int dir, double s,
            Points& pt, double c, const Lengths& len, int minus, int sopt, int& errcode)
{
    double e = 0;
    if (sampop(pos, line, s, len, e, errcode))
        sampdraw(e, outbuf, dir, pt, c, minus, sopt, errcode);
}

// The same for a gap e already read.
void sampdraw(double e, std::string& outbuf, int dir, Points& pt, double c, int minus, int sopt,
              int& errcode)
{
    const double x0 = pt.curx, y0 = pt.cury;
    const double ux = unitx(dir), uy = unity(dir);
    pt.curx = minus ? x0 - e * ux : x0 + e * ux;
    pt.cury = minus ? y0 - e * uy : y0 + e * uy;
    double sx = minus ? pt.curx : x0, sy = minus ? pt.cury : y0;   // start of the stroke

    bool left = c >= 0;
    switch (dir) {
    case 0: pt.refy = (left ? y0 + e / 2 : y0) + c; break;
    case 1: pt.refx = (left ? x0 - e / 2 : x0) - c; break;
    case 2: pt.refy = (left ? y0 : y0 + e / 2) - c; break;
    default: pt.refx = (left ? x0 : x0 - e / 2) + c; break;
    }
    if (dir == 0 || dir == 2)
        pt.refx = (x0 + pt.curx) / 2;
    else
        pt.refy = (y0 + pt.cury) / 2;

    if (!sopt) {
        static const int slope[4][2] = {{2, 1}, {-1, 2}, {-2, 1}, {-1, -2}};
        subline(0, sx, sy, slope[dir][0], slope[dir][1], dir == 0 || dir == 2 ? e : e / 2,
                outbuf);
    } else {
        double along = e / 100, across = e / 200;
        double stepx = dir == 0 ? along : dir == 2 ? -along : -across;
        double stepy = dir == 1 ? along : dir == 3 ? -along : across;
        Room room;
        char* p = start(room, outbuf, numroom(sx) + numroom(sy) + numroom(stepx) + numroom(stepy) +
                                          numroom(along) + 48);
        p = chars(p, "\\multiput(");
        p = fmtnum(sx, p);
        p = chars(p, ',');
        p = fmtnum(sy, p);
        p = chars(p, ")(");
        p = fmtnum(stepx, p);
        p = chars(p, ',');
        p = fmtnum(stepy, p);
        p = chars(p, "){100}{\\line(");
        p = slopes(p, slopex(dir), slopey(dir));
        p = chars(p, "){");
        p = fmtnum(along, p);
        finish(room, outbuf, chars(p, "}}\n"));
    }
    if (e <= 0)
        errcode = 2;
}
