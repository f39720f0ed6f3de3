#include "quillard.h"

// 't (w)': sets the direction of travel to r, u, l or d.
void scdir(std::size_t pos, std::string_view line, int& dir, int& errcode)
{
    std::string word;
    if (!srparen(pos, line, word, errcode))
        return;
    // Only the lower-case letters name a direction here.
    int d = word.size() == 1 && word[0] >= 'a' ? linedir(word[0]) : -1;
    if (d < 0)
        errcode = 1;
    else
        dir = d;
}
