#include "quillard.h"

// The first label of that name, searched from the first slot.
int findlab(const Labels& lab, std::string_view name)
{
    for (int j = 0; j < lab.nlab; ++j)
        if (lab.labname[static_cast<std::size_t>(j)] == name)
            return j;
    return -1;
}
