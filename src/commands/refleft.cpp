#include "quillard.h"

// Sets the reference point at distance c to the left of the direction of
// travel from the current point (to the right for a negative c).
void refleft(Points& pt, int dir, double c)
{
    pt.refx = pt.curx - unity(dir) * c;
    pt.refy = pt.cury + unitx(dir) * c;
}
