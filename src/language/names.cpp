#include "quillard.h"

namespace {

constexpr unsigned MASK = NAMEIDX - 1;

// Names are short: compared here byte by byte rather than through a call.
bool same(const std::string& a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < b.size(); ++k)
        if (a[k] != b[k])
            return false;
    return true;
}

unsigned hash(std::string_view name)
{
    std::uint32_t h = 2166136261u;   // FNV-1a
    for (char ch : name)
        h = (h ^ static_cast<unsigned char>(ch)) * 16777619u;
    return h ^ (h >> 15);
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
