#include "quillard.h"

// The first label of that name, as the search from the first slot finds it.
int findlab(const Labels& lab, std::string_view name)
{
    return findname(lab.idx, lab.labname.data(), lab.nlab, name);
}
