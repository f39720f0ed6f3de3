#include "quillard.h"

// First pass of a line of a common shape, as shape() read it: a line
// command, a box or a move moves the current point and widens the extents,
// a turn sets the direction, a jump moves the point to its label, a sampler
// moves it by its gap (s, when its parentheses are empty); the other shapes
// change nothing.
void scshape(const Shape& sh, const Labels& lab, double s, int& dir, Points& pt, Extents& ext)
{
    int ld = linedir(sh.cmd);
    if (ld >= 0) {
        dir = ld;
        auto s = static_cast<std::size_t>(sh.slot);
        if (sh.slot < 0)
            stride(sh.minus ? (dir + 2) % 4 : dir, sh.val[0], pt, ext);
        else if (dir == 0 || dir == 2)
            pt.curx = lab.labx[s];
        else
            pt.cury = lab.laby[s];
    } else if (sh.cmd == 'b' || sh.cmd == 'B') {
        boxstep(sh.minus ? (dir + 2) % 4 : dir, sh.val[0], sh.val[1], pt, ext);
    } else if (sh.cmd == 'x' || sh.cmd == 'y' || sh.cmd == 'X' || sh.cmd == 'Y') {
        scshift(sh.cmd, sh.slot, sh.val[0], lab, pt, ext);
    } else if (sh.cmd == 's') {
        sampext(dir, sampgap(sh, s), sh.minus, pt, ext);
    } else if (sh.cmd == 't') {
        dir = sh.turn;
    } else if (sh.cmd == 'g') {
        pt.curx = lab.labx[static_cast<std::size_t>(sh.slot)];
        pt.cury = lab.laby[static_cast<std::size_t>(sh.slot)];
    }
}
