#include "quillard.h"

// A parameter command: '\' letter, then nothing or '=' value.  With check
// set, a new value of a, k, d, s, e, i or o that is not positive is error 2
// (the value is kept all the same).
void param(std::size_t pos, std::string_view line, Params& par, const Lengths& len, int check,
           int minus, int& errcode)
{
    std::string buf;
    std::size_t i = skipbl(line, pos + 1);
    char ch = at(line, i);
    double* val = nullptr;
    double def = 0;
    bool positive = false;
    switch (ch) {
    case 't': val = &par.t; def = DEFT; break;
    case 'b': val = &par.b; def = DEFB; break;
    case 'l': val = &par.l; def = DEFL; break;
    case 'r': val = &par.r; def = DEFR; break;
    case 'a': val = &par.a; def = DEFRA; positive = true; break;
    case 'k': val = &par.k; def = DEFRK; positive = true; break;
    case 'p': val = &par.p; def = DEFPP; break;
    case 'v': val = &par.v; def = DEFPV; break;
    case 'c': val = &par.c; def = DEFC; break;
    case 'd': val = &par.d; def = DEFD; positive = true; break;
    case 's': val = &par.s; def = DEFS; positive = true; break;
    case 'e': val = &par.e; def = DEFE; positive = true; break;
    case 'i': val = &par.i; def = DEFI; positive = true; break;
    case 'o': val = &par.o; def = DEFO; positive = true; break;
    case '%':
        // '\%' lines are comments of their own.
        if (minus)
            errcode = 1;
        return;
    default:
        errcode = 1;
        return;
    }
    subparam(i, line, buf, len, errcode, minus, *val, def);
    if (positive && check && errcode == 0 && *val <= 0)
        errcode = 2;
}
