#include "quillard.h"

#include <cmath>

// Whether a circle node lies within a of (x, y): |nx - x| < a and
// |ny - y| < a, both strictly, computed exactly so for every node.
//
// With the nodes sorted by x, the difference nx - x as the machine computes
// it never decreases along the order (a rounded subtraction is monotonic),
// so the nodes whose difference lies strictly between -a and a form one run
// of the order.  A binary search finds its start and only that run is
// tested; the answer is the one the search of the whole table gives.
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
    // The first node whose difference is above -a.
    int lo = 0, hi = lab.nnode;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (lab.nodex[static_cast<std::size_t>(mid)] - x > -a)
            hi = mid;
        else
            lo = mid + 1;
    }
    for (int k = lo; k < lab.nnode; ++k) {
        auto s = static_cast<std::size_t>(k);
        if (!(std::fabs(lab.nodex[s] - x) < a))
            break;
        if (std::fabs(lab.nodey[s] - y) < a)
            return true;
    }
    return false;
}
