#include "quillard.h"

// One line of the configuration file: empty, or a parameter command (with an
// optional '-') applied to the defaults with the range check.
void config(std::string_view line, Params& def, const Lengths& len, int& errcode)
{
    std::size_t i = skipbl(line, 0);
    int minus = 0;
    if (at(line, i) == '-') {
        minus = 1;
        i = skipbl(line, i + 1);
    }
    char ch = at(line, i);
    if (ch == '\n' || ch == '\0') {
        if (minus)
            errcode = 1;
    } else if (ch == '\\') {
        param(i, line, def, len, 1, minus, errcode);
    } else {
        errcode = 1;
    }
}
