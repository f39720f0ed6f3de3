#include "quillard.h"

// Reads the operand of a 'c' line, '("text")' and the end of the line.
bool quoted(std::size_t pos, std::string_view line, std::string_view& text, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return false;
    }
    comment(i, line, text, errcode);
    return errcode == 0;
}
