#include "quillard.h"

#include <cstring>

namespace {

constexpr unsigned MASK = NAMEIDX - 1;

// Names are short (at most MAXNAME characters): they are read and compared
// in words of eight bytes, four or one, the last word overlapping the one
// before, never past the name's end.
inline std::uint64_t load8(const char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline std::uint32_t load4(const char* p)
{
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// The bytes of a name as at most four words: their number, and the words.
inline int words(std::string_view name, std::uint64_t w[4])
{
    const char* p = name.data();
    std::size_t n = name.size();
    if (n >= 8) {
        int k = 0;
        for (std::size_t i = 0; i + 8 < n; i += 8)
            w[k++] = load8(p + i);
        w[k++] = load8(p + n - 8);
        return k;
    }
    if (n >= 4) {
        w[0] = load4(p) | std::uint64_t{load4(p + n - 4)} << 32;
        return 1;
    }
    w[0] = 0;
    for (std::size_t i = 0; i < n; ++i)
        w[0] |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    return 1;
}

bool same(const std::string& a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    std::uint64_t x[4], y[4];
    int n = words(a, x);
    words(b, y);
    for (int k = 0; k < n; ++k)
        if (x[k] != y[k])
            return false;
    return true;
}

unsigned hash(std::string_view name)
{
    std::uint64_t w[4];
    int n = words(name, w);
    std::uint64_t h = name.size() * 0x9e3779b97f4a7c15u;
    for (int k = 0; k < n; ++k)
        h = (h ^ w[k]) * 0xff51afd7ed558ccdu;
    return static_cast<unsigned>(h >> 40);
}

// Enters slot s unless its name is in already (an earlier slot comes first).
void enter(Nameidx& idx, const std::string* names, int s)
{
    std::string_view name = names[s];
    for (unsigned b = hash(name) & MASK;; b = (b + 1) & MASK) {
        int in = idx.bucket[b];
        if (in == 0) {
            idx.bucket[b] = static_cast<std::uint8_t>(s + 1);
            return;
        }
        if (same(names[in - 1], name))
            return;
    }
}

}  // namespace

int findname(const Nameidx& idx, const std::string* names, int n, std::string_view name)
{
    if (idx.nidx != n) {
        for (int j = 0; j < n; ++j)
            if (names[j] == name)
                return j;
        return -1;
    }
    for (unsigned b = hash(name) & MASK;; b = (b + 1) & MASK) {
        int in = idx.bucket[b];
        if (in == 0)
            return -1;
        if (same(names[in - 1], name))
            return in - 1;
    }
}

void addname(Nameidx& idx, const std::string* names, int n)
{
    if (idx.nidx != n - 1) {
        idx.bucket.fill(0);
        for (int j = 0; j + 1 < n; ++j)
            enter(idx, names, j);
    }
    enter(idx, names, n - 1);
    idx.nidx = n;
}
