#include "quillard.h"

// Second pass of a move whose operand has been read: by the distance d, or
// to the coordinate of the label in slot (slot >= 0).  'x' and 'y' move the
// current point and take the reference point's same coordinate along; 'X'
// and 'Y' move the reference point alone.
void shift(char letter, int slot, double d, const Labels& lab, Points& pt)
{
    auto s = static_cast<std::size_t>(slot);
    bool across = letter == 'x' || letter == 'X';
    double to = slot < 0 ? 0 : across ? lab.labx[s] : lab.laby[s];
    if (letter == 'x') {
        pt.curx = slot < 0 ? pt.curx + d : to;
        pt.refx = pt.curx;
    } else if (letter == 'y') {
        pt.cury = slot < 0 ? pt.cury + d : to;
        pt.refy = pt.cury;
    } else if (letter == 'X') {
        pt.refx = slot < 0 ? pt.refx + d : to;
    } else {
        pt.refy = slot < 0 ? pt.refy + d : to;
    }
}
