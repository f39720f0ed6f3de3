#include "quillard.h"

#include <cmath>

// Whether a circle node lies within a of (x, y): |nx - x| < a and
// |ny - y| < a, both strictly, computed exactly so for every node.
//
// With the nodes sorted by x, the difference nx - x as the machine computes
// it never decreases along the order (a rounded subtraction is monotonic),
// so the nodes whose difference lies strictly between -a and a form one run
// of the order, and only that run is tested: the answer is the one the
// search of the whole table gives.  The run starts at the first node whose
// difference is above -a.  The x bucket of x - a tells about where that is;
// from there the exact test of the differences walks to it, so the bucket
// only decides how far the walk goes, never what it finds.
bool atnode(const Labels& lab, double x, double y, double a)
{
    if (lab.nnode < 0) {
        for (int j = 0; j < lab.nlab; ++j) {
            auto s = static_cast<std::size_t>(j);
            if (lab.labattr[s] == 1 && std::fabs(lab.labx[s] - x) < a &&
                std::fabs(lab.laby[s] - y) < a)
                return true;
        }
        return false;
    }
    auto above = [&](std::size_t k) { return lab.nodex[k] - x > -a; };
    auto n = static_cast<std::size_t>(lab.nnode);
    std::size_t lo = lab.nodefirst[static_cast<std::size_t>(nodebucket(lab, x - a))];
    while (lo > 0 && above(lo - 1))
        --lo;
    while (lo < n && !above(lo))
        ++lo;
    for (std::size_t s = lo; s < n; ++s) {
        if (!(std::fabs(lab.nodex[s] - x) < a))
            break;
        if (std::fabs(lab.nodey[s] - y) < a)
            return true;
    }
    return false;
}
