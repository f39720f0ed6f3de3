#include "quillard.h"

#include <charconv>
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
    int sx = slopex(dir), sy = slopey(dir);

    subline(0, tx, ty, sx, sy, r * 0.5, outbuf);
    if (!minus)
        outbuf.pop_back();

    double t1x = tx + ux * (r * 0.5), t1y = ty + uy * (r * 0.5);
    char count[12];
    std::string_view ntext(count, static_cast<std::size_t>(
                                      std::to_chars(count, count + sizeof count, n).ptr - count));
    Room out;
    char* p = start(out, outbuf, numroom(t1x) + numroom(t1y) + numroom(step) + numroom(i) +
                                      ntext.size() + 48);
    p = chars(p, " \\multiput(");
    p = fmtnum(t1x, p);
    p = chars(p, ',');
    p = fmtnum(t1y, p);
    p = chars(p, ")(");
    // Left and down carry a minus sign in front of the formatted step, even
    // where the step rounds to 0.
    if (dir == 0 || dir == 2) {
        if (dir == 2)
            p = chars(p, '-');
        p = fmtnum(step, p);
        p = chars(p, ",0");
    } else {
        p = chars(p, "0,");
        if (dir == 3)
            p = chars(p, '-');
        p = fmtnum(step, p);
    }
    p = chars(p, "){");
    p = chars(p, ntext);
    p = chars(p, "}{\\line(");
    p = slopes(p, sx, sy);
    p = chars(p, "){");
    p = fmtnum(i, p);
    p = chars(p, "}} ");
    finish(out, outbuf, p);

    double t2x = t1x + ux * (n * step), t2y = t1y + uy * (n * step);
    subline(arrow, t2x, t2y, sx, sy, (i + g) + r * 0.5, outbuf);
}
