#include "quillard.h"

// The first length of that name, searched from the first slot.
int findlen(const Lengths& len, std::string_view name)
{
    for (int j = 0; j < len.nlen; ++j)
        if (len.lenname[static_cast<std::size_t>(j)] == name)
            return j;
    return -1;
}
