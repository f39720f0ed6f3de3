#include "quillard.h"

#include <climits>
#include <cmath>

// Writes a dashed segment from the tail (tx, ty) over length in direction
// dir: a lead-in of half the remainder, a \multiput of dashes i long spaced
// i + o, and a closing piece that carries the arrowhead of an arrow.  The
// pieces end exactly at the head.  Under the '-' prefix the lead-in keeps its
// newline, so the segment takes two output lines.
void dashed(double tx, double ty, int dir, double length, int arrow, int minus, double e,
            double i, double o, std::string& outbuf)
{
    double g = arrow ? e : 0;
    double step = i + o;
    double room = (length - i) - g;
    int n = 0;
    double r = room;
    double q = step > 0 ? std::floor(room / step) : 0;
    // Without a positive step, or with a count no int holds, the segment is
    // written as lead-in and closing piece alone; they still meet at the head.
    if (step > 0 && q >= INT_MIN && q <= INT_MAX) {
        n = static_cast<int>(q);
        r = room - n * step;
    }
    double ux = unitx(dir), uy = unity(dir);
    const char* sx = slopex(dir);
    const char* sy = slopey(dir);

    subline(0, Num(tx), Num(ty), sx, sy, Num(r * 0.5), outbuf);
    if (!minus)
        outbuf.pop_back();

    double t1x = tx + ux * (r * 0.5), t1y = ty + uy * (r * 0.5);
    Num n1x(t1x), n1y(t1y), nstep(step), ni(i);
    std::string count;
    itoa(n, count, 10);
    char* p = grow(outbuf, n1x.size + n1y.size + nstep.size + ni.size + count.size() + 64);
    p = chars(p, " \\multiput(");
    p = chars(p, n1x);
    p = chars(p, ',');
    p = chars(p, n1y);
    p = chars(p, ")(");
    // Left and down carry a minus sign in front of the formatted step, even
    // where the step rounds to 0.
    if (dir == 0 || dir == 2) {
        if (dir == 2)
            p = chars(p, '-');
        p = chars(p, nstep);
        p = chars(p, ",0");
    } else {
        p = chars(p, "0,");
        if (dir == 3)
            p = chars(p, '-');
        p = chars(p, nstep);
    }
    p = chars(p, "){");
    p = chars(p, count);
    p = chars(p, "}{\\line(");
    p = chars(p, sx);
    p = chars(p, ',');
    p = chars(p, sy);
    p = chars(p, "){");
    p = chars(p, ni);
    p = chars(p, "}} ");
    done(outbuf, p);

    double t2x = t1x + ux * (n * step), t2y = t1y + uy * (n * step);
    subline(arrow, Num(t2x), Num(t2y), sx, sy, Num((i + g) + r * 0.5), outbuf);
}
