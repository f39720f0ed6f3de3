#include "quillard.h"

// Appends one circle: open ("\circle") for kind 1, filled ("\circle*")
// otherwise, with its centre and diameter.
void circle(int kind, double x, double y, double dia, std::string& outbuf)
{
    outbuf += "\\put(";
    fmtnum(x, outbuf);
    outbuf += ',';
    fmtnum(y, outbuf);
    outbuf += kind == 1 ? "){\\circle{" : "){\\circle*{";
    fmtnum(dia, outbuf);
    outbuf += "}}\n";
}
