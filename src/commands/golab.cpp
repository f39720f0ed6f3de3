#include "quillard.h"

// Reads '(name)' after a command letter and looks the label up.  Returns
// false, with the error code set, when there is no such label.
bool golab(std::size_t pos, std::string_view line, const Labels& lab, int& slot, int& errcode)
{
    std::string name;
    if (!srparen(pos, line, name, errcode))
        return false;
    slot = lookup(lab, name, errcode);
    return slot >= 0;
}
