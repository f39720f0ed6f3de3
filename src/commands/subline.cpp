#include "quillard.h"

// Appends one solid segment: "\put(x,y){\line(sx,sy){length}}", or
// "\vector" for an arrow.  The texts are written as they are given.
void subline(int arrow, std::string_view x, std::string_view y, std::string_view sx,
             std::string_view sy, std::string_view length, std::string& outbuf)
{
    outbuf += "\\put(";
    outbuf += x;
    outbuf += ',';
    outbuf += y;
    outbuf += arrow ? "){\\vector(" : "){\\line(";
    outbuf += sx;
    outbuf += ',';
    outbuf += sy;
    outbuf += "){";
    outbuf += length;
    outbuf += "}}\n";
}
