#include "quillard.h"

#include <algorithm>
#include <cmath>

// Copies the circle nodes, sorted by x, beside the label table, so that the
// stops of the line commands look at the few nodes near a point instead of
// every label.  Called once the labels are final, after the origin shift.
// A coordinate that is not finite would break the order; the table is then
// left without the sorted copy and the stops search it whole.
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
    lab.nnode = n;
}
