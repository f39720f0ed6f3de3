#include "quillard.h"

#include <cmath>

// Second pass of the line commands: works out the segment with its stops at
// circle nodes, checks its direction, moves the current point, sets the
// reference point beside the segment and writes it, solid or dashed.
void dline(int dash, int cap, std::size_t pos, std::string_view line, std::string& outbuf,
           int dir, const Labels& lab, Points& pt, const Params& par, const Lengths& len,
           int minus, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return;
    }
    const double a = par.a;
    const double ux = unitx(dir), uy = unity(dir);
    const double sgn = minus ? -1.0 : 1.0;   // the near end moves by sgn * a * u
    const double x0 = pt.curx, y0 = pt.cury;
    double nx = x0, ny = y0;   // near end
    double fx, fy;             // far end
    double length = 0;
    std::string lentext;   // the operand as written, unless numlen
    bool numlen = false;   // the length is written from its number instead
    int sx = slopex(dir), sy = slopey(dir);

    if (numstart(at(line, skipbl(line, i + 1)))) {
        int comma = 0;
        length = srlval(i, line, lentext, comma, errcode, ')', len);
        if (errcode != 0)
            return;
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
        std::string name;
        srlab(i, line, name, errcode);
        if (errcode != 0)
            return;
        int slot = lookup(lab, name, errcode);
        if (slot < 0)
            return;
        if (dir == 0 || dir == 2)
            pt.curx = lab.labx[static_cast<std::size_t>(slot)];
        else
            pt.cury = lab.laby[static_cast<std::size_t>(slot)];
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
        subline(cap, tx, ty, sx, sy, std::string_view(lentext), outbuf);
}

// Writes n in the given base into s and returns s; a negative base leaves s
// as it is.
std::string& itoa(int n, std::string& s, int base)
{
    if (base < 0)
        return s;
    s.clear();
    // The magnitude in unsigned arithmetic, so that INT_MIN has one too.
    unsigned m = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    auto b = static_cast<unsigned>(base < 2 ? 10 : base);
    do {
        s += static_cast<char>('0' + m % b);
        m /= b;
    } while (m > 0);
    if (n < 0)
        s += '-';
    reverse(s);
    return s;
}

// Reverses a text in place.
void reverse(std::string& s)
{
    for (std::size_t i = 0, j = s.size(); i + 1 < j; ++i, --j)
        std::swap(s[i], s[j - 1]);
}
