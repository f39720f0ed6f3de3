#include "quillard.h"

void pass1(Reader& src, State& st, const Options& opt)
{
    std::string buf;   // a line that does not lie whole in the reader's block
    std::string_view line;
    Lineno lineno = 0;
    int errcode = 0;
    bool quiet = st.diag.quiet;
    st.dir = 0;
    if (!quiet)
        put(term, "Checking Quillard source file:  ");
    while (rdview(src, line, buf)) {
        ++lineno;
        errcode = 0;
        std::size_t mark = term.buf.size();
        if (line.size() >= MAXREAD)
            errcode = 11;
        else if (src.nul)
            errcode = 1;   // no command holds a NUL byte
        else
            scale(line, st.lab, st.len, st.dir, st.par, st.pt, st.ext, errcode);
        if (errcode != 0) {
            lineerr(st, errcode, lineno, 1, line, mark);
            if (errcode != 0)
                st.failed = 1;
        } else if (quiet) {
            // Texts that LaTeX would reject or misread, once each, under
            // the line's number; they change neither picture nor status.
            for (const std::string& w : texwarn(line))
                addnote(st.diag, lineno, st.diag.file + ":" + std::to_string(lineno) +
                                             ": warning: " + w + "\n");
        }
        if (!opt.nopt && !quiet)
            progress(term, lineno);
    }
    if (quiet)
        return;
    if (opt.nopt) {
        put(term, "(");
        putnum(term, lineno);
        put(term, " lines)\n\n");
    } else {
        put(term, "\n\n");
    }
    show(term);
}
