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
    // The first node whose difference is above -a: a binary search whose
    // steps are selections rather than branches, since the answer of each
    // step cannot be foreseen.
    auto before = [&](std::size_t k) { return !(lab.nodex[k] - x > -a); };
    std::size_t lo = 0, n = static_cast<std::size_t>(lab.nnode);
    while (n > 1) {   // the answer lies in [lo, lo + n]
        std::size_t half = n / 2;
        lo += static_cast<std::size_t>(before(lo + half - 1)) * half;
        n -= half;
    }
    if (n == 1 && before(lo))
        ++lo;
    for (std::size_t s = lo; s < static_cast<std::size_t>(lab.nnode); ++s) {
        if (!(std::fabs(lab.nodex[s] - x) < a))
            break;
        if (std::fabs(lab.nodey[s] - y) < a)
            return true;
    }
    return false;
}
