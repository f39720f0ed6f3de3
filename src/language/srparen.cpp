#include "quillard.h"

// Reads '(name)' after the command letter at pos: blanks, then the '(' that
// must follow, then the name and the end of the line.
bool srparen(std::size_t pos, std::string_view line, std::string& name, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return false;
    }
    srlab(i, line, name, errcode);
    return errcode == 0;
}
