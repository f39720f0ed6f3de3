#include "quillard.h"

// First-pass dispatcher: checks one line, defines its labels and lengths,
// moves the current point and widens the extents.  Writes nothing.  The
// common shapes are taken as shape() reads them; every other line, and
// every line with an error, by the general scanners.
void scale(std::string_view line, Labels& lab, Lengths& len, int& dir, Params& par,
           Points& pt, Extents& ext, int& errcode)
{
    Shape sh;
    if (!shape(line, lab, len, sh)) {
        scgen(line, lab, len, dir, par, pt, ext, errcode);
        return;
    }
    errcode = 0;
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
        double w = sh.val[0], h = sh.val[1];
        int way = sh.minus ? (dir + 2) % 4 : dir;
        Boxpos bp = boxpos(way, pt.curx, pt.cury, w, h);
        minmax(bp.x + w, bp.y + h, bp.x, bp.y, ext);
        pt.curx = bp.x1;
        pt.cury = bp.y1;
    } else if (sh.cmd == 'g') {
        pt.curx = lab.labx[static_cast<std::size_t>(sh.slot)];
        pt.cury = lab.laby[static_cast<std::size_t>(sh.slot)];
    }
}
