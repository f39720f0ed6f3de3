#include "quillard.h"

// Reads '(name)' at the end of a command line.  pos enters on the '(' and
// leaves on the line end (the newline, or the first '%' of a "%%" comment).
void srlab(std::size_t& pos, std::string_view line, std::string& name, int& errcode)
{
    std::size_t i = pos + 1;
    if (!srname(line, i, ')', name, errcode))
        return;
    i = skipbl(line, i + 1);
    if (!lineend(line, i)) {
        errcode = 1;
        return;
    }
    pos = i;
}
