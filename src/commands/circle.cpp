#include "quillard.h"

// Appends one circle: open ("\circle") for kind 1, filled ("\circle*")
// otherwise, with its centre and diameter.
void circle(int kind, double x, double y, double dia, std::string& outbuf)
{
    Room room;
    char* p = start(room, outbuf, numroom(x) + numroom(y) + numroom(dia) + PUTROOM + 16);
    p = putxy(p, x, y);
    p = kind == 1 ? chars(p, "\\circle{") : chars(p, "\\circle*{");
    p = fmtnum(dia, p);
    finish(room, outbuf, chars(p, "}}\n"));
}
