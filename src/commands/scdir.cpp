#include "quillard.h"

// 't (w)': sets the direction of travel to r, u, l or d.
void scdir(std::size_t pos, std::string_view line, int& dir, int& errcode)
{
    std::size_t i = skipbl(line, pos + 1);
    if (at(line, i) != '(') {
        errcode = 1;
        return;
    }
    std::string word;
    srlab(i, line, word, errcode);
    if (errcode != 0)
        return;
    int d = word.size() == 1 ? linedir(word[0]) : -1;
    if (d < 0 || word[0] < 'a')
        errcode = 1;
    else
        dir = d;
}
