#include "quillard.h"

void pass1(Reader& src, State& st, const Options& opt)
{
    std::string line;
    int lineno = 0;
    int errcode = 0;
    st.dir = 0;
    put(term, "Checking Quillard source file:  ");
    while (rdline(src, line)) {
        ++lineno;
        errcode = 0;
        if (line.size() >= MAXREAD)
            errcode = 11;
        else if (line.find('\0') != std::string::npos)
            errcode = 1;   // no command holds a NUL byte
        else
            scale(line, st.lab, st.len, st.dir, st.par, st.pt, st.ext, errcode);
        report(errcode, lineno, 1);
        if (errcode != 0)
            st.failed = 1;
        if (!opt.nopt)
            progress(term, lineno);
    }
    if (opt.nopt) {
        put(term, "(");
        putnum(term, lineno);
        put(term, " lines)\n\n");
    } else {
        put(term, "\n\n");
    }
}
