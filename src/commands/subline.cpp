#include "quillard.h"

// Appends one solid segment: "\put(x,y){\line(sx,sy){length}}", or
// "\vector" for an arrow.  The texts are written as they are given.
void subline(int arrow, std::string_view x, std::string_view y, std::string_view sx,
             std::string_view sy, std::string_view length, std::string& outbuf)
{
    Room room;
    char* p = start(room, outbuf, x.size() + y.size() + sx.size() + sy.size() + length.size() + 32);
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
    finish(room, outbuf, p);
}

namespace {

// Room for the segment's text but its length, and what it writes before it:
// "\put(x,y){\line(sx,sy){".
constexpr std::size_t HEADROOM = PUTROOM + 24;

[[gnu::always_inline]] inline char* head(char* p, int arrow, double x, double y, int sx, int sy)
{
    p = putxy(p, x, y);
    p = arrow ? chars(p, "\\vector(") : chars(p, "\\line(");
    p = slopes(p, sx, sy);
    return chars(p, "){");
}

}  // namespace

// The same segment from its numbers, written straight into outbuf.
void subline(int arrow, double x, double y, int sx, int sy, std::string_view length,
             std::string& outbuf)
{
    Room room;
    char* p = start(room, outbuf, numroom(x) + numroom(y) + length.size() + HEADROOM);
    p = chars(head(p, arrow, x, y, sx, sy), length);
    finish(room, outbuf, chars(p, "}}\n"));
}

void subline(int arrow, double x, double y, int sx, int sy, double length, std::string& outbuf)
{
    Room room;
    char* p = start(room, outbuf, numroom(x) + numroom(y) + numroom(length) + HEADROOM);
    p = fmtnum(length, head(p, arrow, x, y, sx, sy));
    finish(room, outbuf, chars(p, "}}\n"));
}
