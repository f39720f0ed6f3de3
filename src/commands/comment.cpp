#include "quillard.h"

// Reads '"text")' and the end of the line: pos enters before the opening
// quote (blanks may stand between) and leaves on the line end.  The text, a
// view into the line, is taken byte for byte; there is no escape for a quote.
void comment(std::size_t& pos, std::string_view line, std::string_view& contents, int& errcode)
{
    contents = {};
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '"') {
        errcode = 1;
        return;
    }
    std::size_t close = line.find('"', i + 1);
    std::size_t eol = line.find('\n', i + 1);
    if (close == std::string_view::npos || (eol != std::string_view::npos && eol < close)) {
        errcode = 1;
        return;
    }
    contents = line.substr(i + 1, close - i - 1);
    i = skipbl(line, close + 1);
    if (at(line, i) != ')') {
        errcode = 1;
        return;
    }
    i = skipbl(line, i + 1);
    if (!lineend(line, i)) {
        errcode = 1;
        return;
    }
    pos = i;
}
