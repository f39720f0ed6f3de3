#include "quillard.h"

// First pass of 'a': a circle node's label at the current point; the circle
// of radius a widens the extents.
void scadd(std::size_t pos, std::string_view line, Labels& lab, double curx, double cury,
           Extents& ext, double a, int& errcode)
{
    if (deflab(pos, line, lab, curx, cury, 1, errcode))
        minmax(curx + a, cury + a, curx - a, cury - a, ext);
}
