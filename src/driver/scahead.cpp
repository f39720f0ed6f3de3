#include "quillard.h"

// A line scanned ahead, as scale takes it; false for a line scale must take
// after all.  A line command's direction is the letter's even when the rest
// of the line is wrong.
bool scahead(const Ahline& al, std::string_view line, State& st, int& errcode)
{
    switch (al.kind) {
    case AHDONE:
        errcode = al.err;
        return true;
    case AHMOVE:
        st.dir = al.ld;
        errcode = al.err;
        if (errcode == 0)
            lstep(al.minus ? (al.ld + 2) % 4 : al.ld, al.length, st.pt, st.ext);
        return true;
    case AHREF: {
        // An undefined name is left to scale, which reports it by name.
        int slot = findlen(st.len, line.substr(al.name, al.namelen));
        if (slot < 0)
            return false;
        st.dir = al.ld;
        lstep(al.minus ? (al.ld + 2) % 4 : al.ld, reflen(st.len, slot, al.neg), st.pt, st.ext);
        return true;
    }
    case AHBOX: {
        errcode = al.err;
        if (errcode != 0)
            return true;
        Boxgeom bg;
        bg.x0 = st.pt.curx;
        bg.y0 = st.pt.cury;
        bg.w = al.length;
        bg.h = al.height;
        boxat(al.minus ? (st.dir + 2) % 4 : st.dir, bg);
        boxin(bg, st.pt, st.ext);
        return true;
    }
    default:
        return false;
    }
}
