#include "quillard.h"

const char* errtext(int errcode, int pass)
{
    switch (errcode) {
    case 1: return "Syntax error";
    case 2: return "Length specification error";
    case 3: return "Memory for coordinate labels exhausted";
    case 6: return pass == 1 ? nullptr : "Direction specification error";
    case 8: return "Memory for numerical labels exhausted";
    case 9: return "Too long label name";
    case 10: return "Too long string for length specification";
    case 11: return "Too long line in input file";
    case 4: case 5: case 7: case -1: case 0: return nullptr;
    default: return "Syntax error";
    }
}

void report(int& errcode, Lineno lineno, int pass)
{
    if (errcode == 0 || (errcode == 6 && pass == 1))
        return;
    if (const char* text = errtext(errcode, pass)) {
        put(term, "\n");
        put(term, text);
        put(term, errcode == 11 ? " at [" : " in [");
    } else {
        put(term, " in [");   // completes the handler's own message
    }
    if (errcode == -1)
        errcode = 0;
    putnum(term, lineno);
    put(term, "]\n");
    show(term);
}
