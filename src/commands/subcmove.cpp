#include "quillard.h"

// Second pass of 'X' and 'Y': moves the reference point alone, by a distance
// or to a label's coordinate.
void subcmove(std::size_t pos, std::string_view line, char letter, const Labels& lab,
              Points& pt, const Lengths& len, int& errcode)
{
    double d = 0;
    int slot = -1;
    int dist = moveop(pos, line, lab, len, d, slot, errcode);
    if (errcode == 0)
        shift(letter, dist ? -1 : slot, d, lab, pt);
}
