#include "quillard.h"

// Defines a label at the current point for 'n', 'k' (mark 0) and 'a'
// (mark 1): reads '(name)', refuses a full table, reports a repeated name
// (and stores it all the same; lookups find the first).
bool deflab(std::size_t pos, std::string_view line, Labels& lab, double curx, double cury,
            int mark, int& errcode)
{
    std::string name;
    if (!srparen(pos, line, name, errcode))
        return false;
    if (lab.nlab >= MAXLAB) {
        errcode = 3;
        return false;
    }
    if (findlab(lab, name) >= 0) {
        put(term, "\nMultiply defined label '");
        put(term, name);
        put(term, "'");
        errcode = 5;
    }
    auto slot = static_cast<std::size_t>(lab.nlab);
    lab.labname[slot] = name;
    lab.labattr[slot] = mark;
    lab.labx[slot] = curx;
    lab.laby[slot] = cury;
    ++lab.nlab;
    addname(lab.idx, lab.labname.data(), lab.nlab);
    lab.nnode = -1;   // the sorted nodes no longer hold every label
    return true;
}
