#include "quillard.h"

// The first length of that name, as the search from the first slot finds it.
int findlen(const Lengths& len, std::string_view name)
{
    return findname(len.idx, len.lenname.data(), len.nlen, name);
}
