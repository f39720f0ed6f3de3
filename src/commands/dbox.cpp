#include "quillard.h"

// Appends one box: "\put(x,y){\framebox(w,h){text}}", or "\dashbox{dash}"
// for a dashed box, wrapped in "{\thicklines ...}" when the options ask for
// thick boxes of that kind.
void dbox(int dashed, std::string_view dash, std::string_view x, std::string_view y,
          std::string_view width, std::string_view height, std::string_view contents,
          std::string& outbuf, int boxopt)
{
    bool thick = dashed ? boxopt == 2 : (boxopt == 1 || boxopt == 2);
    outbuf += thick ? "{\\thicklines\\put(" : "\\put(";
    outbuf += x;
    outbuf += ',';
    outbuf += y;
    if (dashed) {
        outbuf += "){\\dashbox{";
        outbuf += dash;
        outbuf += "}(";
    } else {
        outbuf += "){\\framebox(";
    }
    outbuf += width;
    outbuf += ',';
    outbuf += height;
    outbuf += "){";
    outbuf += contents;
    outbuf += "}}";
    if (thick)
        outbuf += '}';
    outbuf += '\n';
}
