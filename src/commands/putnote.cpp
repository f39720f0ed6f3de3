#include "quillard.h"

// An annotation's text at the reference point in a box of zero size,
// anchored so that it extends away from the item drawn last.
void putnote(std::string_view text, std::string& outbuf, double c, int dir, double refx,
             double refy)
{
    static const char anchor[2][4] = {{'b', 'r', 't', 'l'}, {'t', 'l', 'b', 'r'}};
    Room room;
    char* p = start(room, outbuf, numroom(refx) + numroom(refy) + text.size() + PUTROOM + 24);
    p = putxy(p, refx, refy);
    p = chars(p, "\\makebox(0,0)[");
    p = chars(p, anchor[c < 0 ? 1 : 0][dir & 3]);
    p = chars(p, "]{");
    p = chars(p, text);
    p = chars(p, "}}\n");
    finish(room, outbuf, p);
}
