#include "quillard.h"

// Second pass of 'a': an open circle of radius a around the current point.
void add(std::size_t pos, std::string_view line, std::string& outbuf, int dir, Points& pt,
         double c, double a, int& errcode)
{
    if (nodeop(pos, line, pt, dir, c, errcode))
        circle(1, pt.curx, pt.cury, 2 * a, outbuf);
}
