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
    Num nx(x - p * ux - v * uy), ny(y - p * uy + v * ux);
    char* at = grow(outbuf, nx.size + ny.size + 48);
    at = chars(at, "\\put(");
    at = chars(at, nx);
    at = chars(at, ',');
    at = chars(at, ny);
    at = chars(at, sign ? "){\\makebox(0,0){$ \\scriptstyle - $}}\n"
                        : "){\\makebox(0,0){$ \\scriptstyle + $}}\n");
    done(outbuf, at);
}
