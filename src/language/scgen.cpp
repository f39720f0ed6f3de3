#include "quillard.h"

// First pass of a line by the general scanners, every command and every
// error: checks the line, defines its labels and lengths, moves the current
// point and widens the extents.  Writes nothing.
void scgen(std::string_view line, Labels& lab, Lengths& len, int& dir, Params& par,
           Points& pt, Extents& ext, int& errcode)
{
    errcode = 0;
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    char ch = at(line, i);
    if (minus && !takesminus(ch)) {
        errcode = 1;
        return;
    }
    int ld = linedir(ch);
    if (ld >= 0) {
        dir = ld;
        scline(i, line, dir, lab, pt, ext, len, minus, errcode);
        return;
    }
    switch (ch) {
    case '\n': case '\0': case '%':
        break;
    case '$':
        setlen(i, line, len, errcode);
        break;
    case '\\': {
        // The first pass keeps only t, b, l, r, a and s; the other eight are
        // checked for syntax on a scratch copy that starts from the defaults.
        Params scratch = par;
        scratch.k = DEFRK;
        scratch.p = DEFPP;
        scratch.v = DEFPV;
        scratch.c = DEFC;
        scratch.d = DEFD;
        scratch.e = DEFE;
        scratch.i = DEFI;
        scratch.o = DEFO;
        param(i, line, scratch, len, 0, minus, errcode);
        par.t = scratch.t;
        par.b = scratch.b;
        par.l = scratch.l;
        par.r = scratch.r;
        par.a = scratch.a;
        par.s = scratch.s;
        break;
    }
    case 'n': case 'k':
        scsave(i, line, pt.curx, pt.cury, lab, ext, errcode);
        break;
    case 'a':
        scadd(i, line, lab, pt.curx, pt.cury, ext, par.a, errcode);
        break;
    case 'b': case 'B':
        scbox(i, line, dir, pt, ext, len, minus, errcode);
        break;
    case 'c':
        sccomment(i, line, errcode);
        break;
    case 's':
        scsample(i, line, dir, par.s, pt, ext, len, minus, errcode);
        break;
    case 'p': case 'm':
        if (!lineend(line, skipbl(line, i + 1)))
            errcode = 1;
        break;
    case 'x': case 'y': case 'X': case 'Y':
        scmove(i, line, ch, lab, pt, ext, len, errcode);
        break;
    case 'g':
        scgo(i, line, lab, pt, errcode);
        break;
    case 't':
        scdir(i, line, dir, errcode);
        break;
    default:
        errcode = 1;
        break;
    }
}
