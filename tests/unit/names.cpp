// The name index of the label and length tables: every lookup must find the
// slot the search from slot 0 finds, the first one of a repeated name.
#include "quillard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

int linear(const std::string* names, int n, std::string_view name)
{
    for (int j = 0; j < n; ++j)
        if (names[j] == name)
            return j;
    return -1;
}

// Random tables of names from a small alphabet, so that names repeat, share
// beginnings and collide in the index; each is looked up with every name
// entered and with names never entered, at every size the table passes.
TEST(NameIndex, IndexFindsTheFirstSlotOfEveryName)
{
    std::mt19937_64 rng(0x4a3e5);
    auto word = [&rng] {
        std::string w;
        int n = 1 + static_cast<int>(rng() % 4);
        for (int j = 0; j < n; ++j)
            w += "ab1_%"[rng() % 5];
        return w;
    };
    for (int round = 0; round < 60; ++round) {
        std::array<std::string, MAXLAB> names;
        Nameidx idx;
        for (int n = 1; n <= MAXLAB; ++n) {
            names[static_cast<std::size_t>(n - 1)] =
                round == 0 ? std::string(MAXNAME, 'x') + std::to_string(n % 7) : word();
            addname(idx, names.data(), n);
            ASSERT_EQ(idx.nidx, n);
            for (int j = 0; j < n; ++j) {
                const std::string& w = names[static_cast<std::size_t>(j)];
                ASSERT_EQ(findname(idx, names.data(), n, w), linear(names.data(), n, w)) << w;
            }
            std::string other = word() + "#";
            ASSERT_EQ(findname(idx, names.data(), n, other), -1);
            ASSERT_EQ(findname(idx, names.data(), n, ""), -1);
        }
    }
}

// A table filled without the index, or emptied, is searched slot by slot,
// and indexed afresh by the next definition.
TEST(NameIndex, TablesFilledOrEmptiedOtherwiseAreSearchedWhole)
{
    Lengths len;
    len.lenname[0] = "w";
    len.lenname[1] = "h";
    len.nlen = 2;
    EXPECT_EQ(findlen(len, "h"), 1);
    int err = 0;
    setlen(0, "$d = 3\n", len, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(len.idx.nidx, 3);
    EXPECT_EQ(findlen(len, "w"), 0);
    EXPECT_EQ(findlen(len, "d"), 2);
    len.nlen = 0;   // as between the passes
    EXPECT_EQ(findlen(len, "w"), -1);
    setlen(0, "$h = 4\n", len, err);
    EXPECT_EQ(findlen(len, "h"), 0);
    EXPECT_EQ(findlen(len, "w"), -1);
    EXPECT_EQ(findlen(len, "d"), -1);
}

TEST(NameIndex, ARepeatedLabelIsFoundAtItsFirstSlotAndARedefinedLengthInPlace)
{
    term.fp = nullptr;
    term.buf.clear();
    Labels lab;
    Extents ext;
    int err = 0;
    scsave(0, "n (A)\n", 1, 1, lab, ext, err);
    scsave(0, "n (B)\n", 2, 2, lab, ext, err);
    scsave(0, "n (A)\n", 3, 3, lab, ext, err = 0);
    EXPECT_EQ(err, 5);
    EXPECT_EQ(findlab(lab, "A"), 0);
    EXPECT_EQ(findlab(lab, "B"), 1);
    Lengths len;
    setlen(0, "$w = 1\n", len, err = 0);
    setlen(0, "$w = 2\n", len, err = 0);
    EXPECT_EQ(err, -1);
    EXPECT_EQ(len.nlen, 1);
    EXPECT_EQ(len.lenval[static_cast<std::size_t>(findlen(len, "w"))], "2");
    term.buf.clear();
}

}  // namespace
