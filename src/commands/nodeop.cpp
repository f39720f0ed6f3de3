#include "quillard.h"

// Checks the '(name)' of an 'a' or 'k' line in the second pass (the label
// was defined in the first) and sets the reference point beside the point.
bool nodeop(std::size_t pos, std::string_view line, Points& pt, int dir, double c, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return false;
    }
    std::string name;
    srlab(i, line, name, errcode);
    if (errcode != 0)
        return false;
    refleft(pt, dir, c);
    return true;
}
