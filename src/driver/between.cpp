#include "quillard.h"

// Prepares the second pass: the lengths are defined afresh, the direction
// and ten parameters start again from the defaults (the margins keep their
// first-pass values, they size the header), and the origin moves so that the
// drawing lies in the positive quadrant, labels included.
void between(State& st)
{
    st.len.nlen = 0;
    st.dir = 0;
    Params def = defaults();
    st.par.a = def.a;
    st.par.k = def.k;
    st.par.p = def.p;
    st.par.v = def.v;
    st.par.c = def.c;
    st.par.d = def.d;
    st.par.s = def.s;
    st.par.e = def.e;
    st.par.i = def.i;
    st.par.o = def.o;
    st.pt.curx = -st.ext.xmin;
    st.pt.cury = -st.ext.ymin;
    for (int j = 0; j < st.lab.nlab; ++j) {
        auto s = static_cast<std::size_t>(j);
        st.lab.labx[s] -= st.ext.xmin;
        st.lab.laby[s] -= st.ext.ymin;
    }
    nodes(st.lab);   // the labels are final: sorted for the stops
    st.pt.refx = st.pt.curx;
    st.pt.refy = st.pt.cury;
}
