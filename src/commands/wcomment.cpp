#include "quillard.h"

// Second pass of 'c': the text at the reference point in a box of zero size,
// anchored so that it extends away from the item drawn last.
void wcomment(std::size_t pos, std::string_view line, std::string& outbuf, double c, int dir,
              double refx, double refy, int& errcode)
{
    std::string text;
    if (!quoted(pos, line, text, errcode))
        return;
    static const char* const anchor[2][4] = {{"b", "r", "t", "l"}, {"t", "l", "b", "r"}};
    outbuf += "\\put(";
    fmtnum(refx, outbuf);
    outbuf += ',';
    fmtnum(refy, outbuf);
    outbuf += "){\\makebox(0,0)[";
    outbuf += anchor[c < 0 ? 1 : 0][dir & 3];
    outbuf += "]{";
    outbuf += text;
    outbuf += "}}\n";
}
