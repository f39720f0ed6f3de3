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
    scshape(sh, lab, par.s, dir, pt, ext);
}
