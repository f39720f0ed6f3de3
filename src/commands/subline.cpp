#include "quillard.h"

// Appends one solid segment: "\put(x,y){\line(sx,sy){length}}", or
// "\vector" for an arrow.  The texts are written as they are given.
void subline(int arrow, std::string_view x, std::string_view y, std::string_view sx,
             std::string_view sy, std::string_view length, std::string& outbuf)
{
    char* p = grow(outbuf, x.size() + y.size() + sx.size() + sy.size() + length.size() + 32);
    p = chars(p, "\\put(");
    p = chars(p, x);
    p = chars(p, ',');
    p = chars(p, y);
    p = chars(p, arrow ? "){\\vector(" : "){\\line(");
    p = chars(p, sx);
    p = chars(p, ',');
    p = chars(p, sy);
    p = chars(p, "){");
    p = chars(p, length);
    p = chars(p, "}}\n");
    done(outbuf, p);
}
