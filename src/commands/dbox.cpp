#include "quillard.h"

// Appends one box: "\put(x,y){\framebox(w,h){text}}", or "\dashbox{dash}"
// for a dashed box, wrapped in "{\thicklines ...}" when the options ask for
// thick boxes of that kind.  The sizes and the text are written as given.
void dbox(int dashed, double dash, double x, double y, std::string_view width,
          std::string_view height, std::string_view contents, std::string& outbuf, int boxopt)
{
    bool thick = dashed ? boxopt == 2 : (boxopt == 1 || boxopt == 2);
    Room room;
    char* p = start(room, outbuf, numroom(x) + numroom(y) + (dashed ? numroom(dash) : 0) +
                                      width.size() + height.size() + contents.size() + 48);
    if (thick)
        p = chars(p, "{\\thicklines");
    p = putxy(p, x, y);
    if (dashed) {
        p = chars(p, "\\dashbox{");
        p = fmtnum(dash, p);
        p = chars(p, "}(");
    } else {
        p = chars(p, "\\framebox(");
    }
    p = chars(p, width);
    p = chars(p, ',');
    p = chars(p, height);
    p = chars(p, "){");
    p = chars(p, contents);
    p = chars(p, "}}");
    if (thick)
        p = chars(p, '}');
    p = chars(p, '\n');
    finish(room, outbuf, p);
}
