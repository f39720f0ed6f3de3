#include "quillard.h"

#include <cmath>

// Rounds half away from zero to five decimal places, counting
// hundred-thousandths in 64 bits.  A value too large for that count has no
// fraction left to round and is returned as it is.
double value(double x)
{
    double y = (x >= 0 ? x + 0.000005 : x - 0.000005) * 100000;
    if (!(std::fabs(y) < 9.0e18))
        return x;
    auto n = static_cast<std::int64_t>(y);
    return static_cast<double>(n) * 0.00001;
}
