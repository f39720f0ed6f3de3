#include "quillard.h"

// Widens the extents to take in a point or a rectangle: each extent is
// compared with its own candidate only.
void minmax(double xmax, double ymax, double xmin, double ymin, Extents& ext)
{
    if (xmax > ext.xmax)
        ext.xmax = xmax;
    if (ymax > ext.ymax)
        ext.ymax = ymax;
    if (xmin < ext.xmin)
        ext.xmin = xmin;
    if (ymin < ext.ymin)
        ext.ymin = ymin;
}
