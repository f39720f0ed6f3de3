#include "quillard.h"

// Appends one circle: open ("\circle") for kind 1, filled ("\circle*")
// otherwise, with its centre and diameter.
void circle(int kind, double x, double y, double dia, std::string& outbuf)
{
    Num nx(x), ny(y), nd(dia);
    char* p = grow(outbuf, nx.size + ny.size + nd.size + 32);
    p = chars(p, "\\put(");
    p = chars(p, nx);
    p = chars(p, ',');
    p = chars(p, ny);
    p = chars(p, kind == 1 ? "){\\circle{" : "){\\circle*{");
    p = chars(p, nd);
    p = chars(p, "}}\n");
    done(outbuf, p);
}
