#include "quillard.h"

// First pass of 's': the rectangle the stroke spans widens the extents and
// the current point moves on by the gap (back under '-').
void scsample(std::size_t pos, std::string_view line, int dir, double s, Points& pt,
              Extents& ext, const Lengths& len, int minus, int& errcode)
{
    double e = 0;
    if (sampop(pos, line, s, len, e, errcode))
        sampext(dir, e, minus, pt, ext);
}

// The same for a gap e already read.
void sampext(int dir, double e, int minus, Points& pt, Extents& ext)
{
    double x0 = pt.curx, y0 = pt.cury;
    switch (dir) {
    case 0:
        if (minus)
            minmax(x0, y0 + e / 2, x0 - e, y0, ext);
        else
            minmax(x0 + e, y0 + e / 2, x0, y0, ext);
        pt.curx = minus ? x0 - e : x0 + e;
        break;
    case 1:
        if (minus)
            minmax(x0, y0, x0 - e / 2, y0 - e, ext);
        else
            minmax(x0, y0 + e, x0 - e / 2, y0, ext);
        pt.cury = minus ? y0 - e : y0 + e;
        break;
    case 2:
        if (minus)
            minmax(x0 + e, y0 + e / 2, x0, y0, ext);
        else
            minmax(x0, y0 + e / 2, x0 - e, y0, ext);
        pt.curx = minus ? x0 + e : x0 - e;
        break;
    default:
        if (minus)
            minmax(x0, y0 + e, x0 - e / 2, y0, ext);
        else
            minmax(x0, y0, x0 - e / 2, y0 - e, ext);
        pt.cury = minus ? y0 + e : y0 - e;
        break;
    }
}
