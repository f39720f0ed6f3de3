#include "quillard.h"

// Appends one box: "\put(x,y){\framebox(w,h){text}}", or "\dashbox{dash}"
// for a dashed box, wrapped in "{\thicklines ...}" when the options ask for
// thick boxes of that kind.
void dbox(int dashed, std::string_view dash, std::string_view x, std::string_view y,
          std::string_view width, std::string_view height, std::string_view contents,
          std::string& outbuf, int boxopt)
{
    bool thick = dashed ? boxopt == 2 : (boxopt == 1 || boxopt == 2);
    char* p = grow(outbuf, dash.size() + x.size() + y.size() + width.size() + height.size() +
                               contents.size() + 64);
    p = chars(p, thick ? "{\\thicklines\\put(" : "\\put(");
    p = chars(p, x);
    p = chars(p, ',');
    p = chars(p, y);
    if (dashed) {
        p = chars(p, "){\\dashbox{");
        p = chars(p, dash);
        p = chars(p, "}(");
    } else {
        p = chars(p, "){\\framebox(");
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
    done(outbuf, p);
}
