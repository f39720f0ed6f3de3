#include "quillard.h"

// Reads '(name)' after a command letter and looks the label up.  Returns
// false, with the error code set, when there is no such label.
bool golab(std::size_t pos, std::string_view line, const Labels& lab, int& slot, int& errcode)
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
    slot = findlab(lab, name);
    if (slot < 0) {
        undeflab(name);
        errcode = 4;
        return false;
    }
    return true;
}
