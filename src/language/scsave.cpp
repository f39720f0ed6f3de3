#include "quillard.h"

// First pass of 'n' and 'k': a label at the current point, which widens the
// extents by the point itself.
void scsave(std::size_t pos, std::string_view line, double curx, double cury, Labels& lab,
            Extents& ext, int& errcode)
{
    if (deflab(pos, line, lab, curx, cury, 0, errcode))
        minmax(curx, cury, curx, cury, ext);
}
