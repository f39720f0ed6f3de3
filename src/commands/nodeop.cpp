#include "quillard.h"

// Checks the '(name)' of an 'a' or 'k' line in the second pass (the label
// was defined in the first) and sets the reference point beside the point.
bool nodeop(std::size_t pos, std::string_view line, Points& pt, int dir, double c, int& errcode)
{
    std::string name;
    if (!srparen(pos, line, name, errcode))
        return false;
    refleft(pt, dir, c);
    return true;
}
