#include "quillard.h"

void report(int& errcode, int lineno, int pass)
{
    const char* text = nullptr;
    switch (errcode) {
    case 0:
        return;
    case -1:
        text = " in [";
        errcode = 0;
        break;
    case 1: text = "\nSyntax error in ["; break;
    case 2: text = "\nLength specification error in ["; break;
    case 3: text = "\nMemory for coordinate labels exhausted in ["; break;
    case 4: case 5: case 7: text = " in ["; break;
    case 6:
        if (pass == 1)
            return;
        text = "\nDirection specification error in [";
        break;
    case 8: text = "\nMemory for numerical labels exhausted in ["; break;
    case 9: text = "\nToo long label name in ["; break;
    case 10: text = "\nToo long string for length specification in ["; break;
    case 11: text = "\nToo long line in input file at ["; break;
    default: text = "\nSyntax error in ["; break;
    }
    put(term, text);
    putnum(term, lineno);
    put(term, "]\n");
}
