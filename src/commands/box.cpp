#include "quillard.h"

// Second pass of 'b' and 'B': reads the operands and leaves the box to
// boxput.
void box(std::size_t pos, std::string_view line, std::string& outbuf, int dashed, int dir,
         Points& pt, double c, double d, const Lengths& len, int minus, int boxopt,
         int& errcode)
{
    Boxgeom bg;
    if (!boxop(pos, line, len, bg, errcode))
        return;
    Shape sh{};
    sh.minus = minus;
    sh.val[0] = bg.w;
    sh.val[1] = bg.h;
    sh.text[0] = bg.width;
    sh.text[1] = bg.height;
    sh.contents = bg.contents;
    boxput(sh, dashed, dir, pt, c, d, boxopt, outbuf, errcode);
}
