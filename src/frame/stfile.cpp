#include "quillard.h"

// Builds the picture header: the drawing's extents widened by the margins,
// with the lower-left corner at (-l, -b) in the shifted coordinates.
void stfile(const Extents& ext, double t, double b, double l, double r, std::string& outbuf)
{
    double w = ((ext.xmax + r) + l) - ext.xmin;
    double h = ((ext.ymax + t) + b) - ext.ymin;
    outbuf = "\\begin{picture}(";
    fmtnum(w, outbuf);
    outbuf += ',';
    fmtnum(h, outbuf);
    outbuf += ")(";
    fmtnum(-l, outbuf);
    outbuf += ',';
    fmtnum(-b, outbuf);
    outbuf += ")\n";
}
