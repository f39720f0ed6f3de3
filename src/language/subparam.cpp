#include "quillard.h"

// The part of a parameter command after its letter: nothing (reset to the
// default, or negate under '-') or '=' and a value.
void subparam(std::size_t pos, std::string_view line, std::string& buf, const Lengths& len,
              int& errcode, int minus, double& val, double def)
{
    std::size_t i = skipbl(line, pos + 1);
    char ch = at(line, i);
    if (lineend(line, i)) {
        val = minus ? -val : def;
    } else if (ch == '=' && !minus) {
        srpara(i, line, buf, len, errcode);
        if (errcode == 0)
            val = tonum(buf);
    } else {
        errcode = 1;
    }
}
