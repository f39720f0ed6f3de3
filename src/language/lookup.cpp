#include "quillard.h"

// Looks a label up by the rule every command follows: the first slot of that
// name.  A missing label is reported by name and is error 4.
int lookup(const Labels& lab, std::string_view name, int& errcode)
{
    int slot = findlab(lab, name);
    if (slot < 0) {
        undeflab(name);
        errcode = 4;
    }
    return slot;
}
