#include "quillard.h"

#include <algorithm>
#include <cmath>

// Copies the circle nodes, sorted by x, beside the label table, so that the
// stops of the line commands look at the few nodes near a point instead of
// every label, and marks where each x bucket starts in them.  Called once
// the labels are final, after the origin shift.  A coordinate that is not
// finite would break the order; the table is then left without the sorted
// copy and the stops search it whole.
void nodes(Labels& lab)
{
    lab.nnode = -1;
    std::array<int, MAXLAB> order{};
    int n = 0;
    for (int j = 0; j < lab.nlab; ++j) {
        auto s = static_cast<std::size_t>(j);
        if (lab.labattr[s] != 1)
            continue;
        if (!std::isfinite(lab.labx[s]) || !std::isfinite(lab.laby[s]))
            return;
        order[static_cast<std::size_t>(n++)] = j;
    }
    std::sort(order.begin(), order.begin() + n, [&lab](int p, int q) {
        return lab.labx[static_cast<std::size_t>(p)] < lab.labx[static_cast<std::size_t>(q)];
    });
    for (int k = 0; k < n; ++k) {
        auto s = static_cast<std::size_t>(order[static_cast<std::size_t>(k)]);
        lab.nodex[static_cast<std::size_t>(k)] = lab.labx[s];
        lab.nodey[static_cast<std::size_t>(k)] = lab.laby[s];
    }
    lab.nodebase = n > 0 ? lab.nodex[0] : 0;
    double span = n > 0 ? lab.nodex[static_cast<std::size_t>(n - 1)] - lab.nodebase : 0;
    lab.nodescale = span > 0 && std::isfinite(span) ? NODEBUCKETS / span : 0;
    int k = 0;
    for (int b = 0; b < NODEBUCKETS; ++b) {
        while (k < n && nodebucket(lab, lab.nodex[static_cast<std::size_t>(k)]) < b)
            ++k;
        lab.nodefirst[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(k);
    }
    lab.nnode = n;
}
