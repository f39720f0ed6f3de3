#include "quillard.h"

// Second pass of 'p' and 'm': a plus or minus sign set back from the base
// point against the direction by p and off to its left by v.
void pm(int sign, std::size_t pos, std::string_view line, std::string& outbuf, int dir,
        double p, double v, double x, double y, int& errcode)
{
    if (!lineend(line, skipbl(line, pos + 1))) {
        errcode = 1;
        return;
    }
    double ux = unitx(dir), uy = unity(dir);
    double x1 = x - p * ux - v * uy, y1 = y - p * uy + v * ux;
    Room room;
    char* at = start(room, outbuf, numroom(x1) + numroom(y1) + PUTROOM + 40);
    at = putxy(at, x1, y1);
    at = chars(at, "\\makebox(0,0){$ \\scriptstyle ");
    at = chars(at, sign ? '-' : '+');
    at = chars(at, " $}}\n");
    finish(room, outbuf, at);
}
