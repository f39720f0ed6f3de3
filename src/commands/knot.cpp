#include "quillard.h"

// Second pass of 'k': a filled dot of diameter k at the current point.
void knot(std::size_t pos, std::string_view line, std::string& outbuf, Points& pt, double c,
          int dir, double k, int& errcode)
{
    if (nodeop(pos, line, pt, dir, c, errcode))
        circle(0, pt.curx, pt.cury, k, outbuf);
}
