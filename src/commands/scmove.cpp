#include "quillard.h"

// First pass of 'x', 'y', 'X' and 'Y': reads the operand and leaves the move
// to scshift.
void scmove(std::size_t pos, std::string_view line, char letter, const Labels& lab, Points& pt,
            Extents& ext, const Lengths& len, int& errcode)
{
    double d = 0;
    int slot = -1;
    int dist = moveop(pos, line, lab, len, d, slot, errcode);
    if (errcode == 0)
        scshift(letter, dist ? -1 : slot, d, lab, pt, ext);
}
