// The circle-node lookup of the line stops: with the nodes sorted by nodes()
// it must answer exactly as the search of the whole label table does.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

struct Lab {
    double x, y;
    int mark;   // 1 for a circle node
};

Labels table(const std::vector<Lab>& labs)
{
    Labels lab;
    for (const Lab& l : labs) {
        auto s = static_cast<std::size_t>(lab.nlab++);
        lab.labname[s] = "L" + std::to_string(s);
        lab.labx[s] = l.x;
        lab.laby[s] = l.y;
        lab.labattr[s] = l.mark;
    }
    return lab;
}

// The rule itself, over every label.
bool linear(const Labels& lab, double x, double y, double a)
{
    for (int j = 0; j < lab.nlab; ++j) {
        auto s = static_cast<std::size_t>(j);
        if (lab.labattr[s] == 1 && std::fabs(lab.labx[s] - x) < a &&
            std::fabs(lab.laby[s] - y) < a)
            return true;
    }
    return false;
}

// Asserts that the sorted lookup, the unsorted one and the rule agree.
void agree(const Labels& unsorted, double x, double y, double a)
{
    Labels sorted = unsorted;
    nodes(sorted);
    bool want = linear(unsorted, x, y, a);
    ASSERT_EQ(atnode(unsorted, x, y, a), want) << x << ' ' << y << ' ' << a;
    ASSERT_EQ(atnode(sorted, x, y, a), want) << x << ' ' << y << ' ' << a;
}

struct Case {
    const char* what;
    std::vector<Lab> labs;
    double x, y, a;
    bool want;
};

TEST(Atnode, Cases)
{
    const double big = 1e30;
    const std::vector<Case> cases = {
        {"no labels", {}, 0, 0, 0.15, false},
        {"a node at the point", {{1, 1, 1}}, 1, 1, 0.15, true},
        {"a plain label at the point does not stop", {{1, 1, 0}}, 1, 1, 0.15, false},
        {"exactly a away in x", {{1.25, 1, 1}}, 1, 1, 0.25, false},
        {"exactly a away in y", {{1, 0.75, 1}}, 1, 1, 0.25, false},
        {"just inside on both axes", {{1.2499, 0.7501, 1}}, 1, 1, 0.25, true},
        {"near in x, far in y", {{1, 5, 1}, {1, -5, 1}, {1.1, 3, 1}}, 1, 1, 0.25, false},
        {"coincident labels, the node second", {{2, 2, 0}, {2, 2, 1}}, 2, 2, 0.1, true},
        {"duplicates of one name", {{3, 3, 1}, {3, 3, 1}, {3, 3, 1}}, 3, 3.05, 0.1, true},
        {"many on one vertical, one near", {{0, 0, 1}, {0, 1, 1}, {0, 2, 1}, {0, 3, 1}},
         0.05, 2.05, 0.1, true},
        {"negative coordinates", {{-7.5, -2, 1}}, -7.45, -2.05, 0.1, true},
        {"huge coordinates", {{big, -big, 1}}, big, -big, 0.15, true},
        {"huge radius reaches everything", {{-big, big, 1}}, big, -big, 1e31, true},
        {"zero radius stops nothing", {{1, 1, 1}}, 1, 1, 0, false},
        {"negative radius stops nothing", {{1, 1, 1}}, 1, 1, -0.5, false},
        {"first of many on the left", {{-3, 0, 1}, {-2, 0, 1}, {-1, 0, 1}}, -3.1, 0, 0.15, true},
        {"last of many on the right", {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, 3.1, 0, 0.15, true},
        {"between two, reaching neither", {{1, 0, 1}, {2, 0, 1}}, 1.5, 0, 0.5, false},
    };
    for (const Case& c : cases) {
        Labels lab = table(c.labs);
        EXPECT_EQ(linear(lab, c.x, c.y, c.a), c.want) << c.what;
        agree(lab, c.x, c.y, c.a);
        if (HasFatalFailure()) {
            ADD_FAILURE() << c.what;
            return;
        }
    }
}

// Random tables of up to 200 labels, a third of them nodes, many on shared
// coordinates; queries at the nodes, a away from them and one step of the
// machine either side of that, and anywhere.
TEST(Atnode, AgreesWithTheWholeTableSearch)
{
    std::mt19937_64 rng(0x57095);
    auto unit = [&rng] { return std::uniform_real_distribution<double>(0, 1)(rng); };
    auto coord = [&](double scale) {
        double v = std::round((unit() * 2 - 1) * scale * 20) / 20;   // a grid of 0.05
        return unit() < 0.1 ? v + unit() * 1e-3 : v;
    };
    const double scales[] = {1, 10, 1000, 1e6, 1e15};
    const double radii[] = {0.15, 0.05, 0.2, 1, 0.25, 1e-6, 1e10};
    for (int round = 0; round < 400; ++round) {
        double scale = scales[round % 5];
        int n = static_cast<int>(unit() * MAXLAB) + 1;
        std::vector<Lab> labs;
        for (int j = 0; j < n; ++j) {
            if (j > 0 && unit() < 0.2) {
                Lab twin = labs[static_cast<std::size_t>(unit() * j)];
                twin.mark = unit() < 0.4;
                labs.push_back(twin);
            } else {
                labs.push_back({coord(scale), coord(scale), unit() < 0.35});
            }
        }
        Labels lab = table(labs);
        double a = radii[round % 7];
        for (int q = 0; q < 200; ++q) {
            const Lab& at = labs[static_cast<std::size_t>(unit() * n)];
            double x = at.x, y = at.y;
            switch (q % 6) {
            case 0: break;
            case 1: x += unit() < 0.5 ? a : -a; break;
            case 2: y += unit() < 0.5 ? a : -a; break;
            case 3:
                x = std::nextafter(x + a, unit() < 0.5 ? -INFINITY : INFINITY);
                y = std::nextafter(y - a, unit() < 0.5 ? -INFINITY : INFINITY);
                break;
            case 4: x += (unit() - 0.5) * 3 * a; y += (unit() - 0.5) * 3 * a; break;
            default: x = coord(scale); y = coord(scale); break;
            }
            agree(lab, x, y, a);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(Atnode, DefiningALabelDropsTheSortedCopy)
{
    Labels lab = table({{1, 1, 1}});
    nodes(lab);
    ASSERT_EQ(lab.nnode, 1);
    Extents ext;
    int err = 0;
    scadd(0, "a (Q)\n", lab, 5, 5, ext, 0.15, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(lab.nnode, -1);
    EXPECT_TRUE(atnode(lab, 5, 5, 0.15));
    nodes(lab);
    EXPECT_EQ(lab.nnode, 2);
    EXPECT_TRUE(atnode(lab, 5, 5, 0.15));
}

TEST(Atnode, CoordinatesThatAreNotFiniteLeaveTheTableUnsorted)
{
    Labels lab = table({{1, 1, 1}, {std::numeric_limits<double>::infinity(), 0, 1}});
    nodes(lab);
    EXPECT_EQ(lab.nnode, -1);
    EXPECT_TRUE(atnode(lab, 1, 1, 0.15));
}

// Through the whole translation: a node defined below the line that ends at
// it, and one at the start, stop the line in the second pass.
TEST(Atnode, StopsAtNodesDefinedAnywhereInTheSource)
{
    std::string out, transcript;
    Options opt;
    opt.nopt = 1;
    ASSERT_EQ(translate("a (A)\nr (1)\nr (1)\na (B)\n", "", opt, out, transcript), 0);
    EXPECT_EQ(out, "\\begin{picture}(2.3,0.3)(0,0)\n"
                   "\\put(0.15,0.15){\\circle{0.3}}\n"
                   "\\put(0.3,0.15){\\line(1,0){0.85}}\n"
                   "\\put(1.15,0.15){\\line(1,0){0.85}}\n"
                   "\\put(2.15,0.15){\\circle{0.3}}\n"
                   "\\end{picture}\n");
}

}  // namespace
