#include "quillard.h"

// The built-in defaults of the fourteen parameters.
double DEFT = 0.0, DEFB = 0.0, DEFL = 0.0, DEFR = 0.0;
double DEFRA = 0.15, DEFRK = 0.08, DEFPP = 0.3, DEFPV = 0.2, DEFC = 0.2, DEFD = 0.1;
double DEFS = 0.6, DEFE = 0.14, DEFI = 0.1, DEFO = 0.1;

Params defaults()
{
    return Params{DEFT, DEFB, DEFL, DEFR, DEFRA, DEFRK, DEFPP, DEFPV, DEFC, DEFD,
                  DEFS, DEFE, DEFI, DEFO};
}

void setdefaults(const Params& def)
{
    DEFT = def.t;
    DEFB = def.b;
    DEFL = def.l;
    DEFR = def.r;
    DEFRA = def.a;
    DEFRK = def.k;
    DEFPP = def.p;
    DEFPV = def.v;
    DEFC = def.c;
    DEFD = def.d;
    DEFS = def.s;
    DEFE = def.e;
    DEFI = def.i;
    DEFO = def.o;
}

void builtin()
{
    setdefaults(Params{0.0, 0.0, 0.0, 0.0, 0.15, 0.08, 0.3, 0.2, 0.2, 0.1, 0.6, 0.14, 0.1, 0.1});
}
