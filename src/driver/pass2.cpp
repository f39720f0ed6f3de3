#include "quillard.h"

namespace {

// The line number of the annotation under -h, at the current point, on the
// side of the end of the item that the direction says.
void annotate(const State& st, int lineno, std::string& buf)
{
    static const char* const anchor[4] = {"b", "r", "t", "l"};
    static const char* const mark[4] = {"$ r $", "$ u $", "$ \\ell $", "$ d $"};
    buf = "\\put(";
    fmtnum(st.pt.curx, buf);
    buf += ',';
    fmtnum(st.pt.cury, buf);
    buf += "){\\makebox(0,0)[";
    buf += anchor[st.dir & 3];
    buf += "]{\\scriptsize ";
    std::string num;
    buf += itoa(lineno, num, 10);
    buf += mark[st.dir & 3];
    buf += "}}";
}

}  // namespace

void pass2(Reader& src, State& st, Sink& out, const Options& opt)
{
    rewind(src);
    between(st);

    put(term, "Generating LaTeX source file:  ");
    std::string line, workbuf, outbuf;
    stfile(st.ext, st.par.t, st.par.b, st.par.l, st.par.r, outbuf);
    put(out, outbuf);

    int lineno = 0;
    int errcode = 0;
    while (rdline(src, line)) {
        ++lineno;
        int drawn = 0;
        errcode = 0;
        bool dispatched = false;
        if (line.size() >= MAXREAD) {
            errcode = 11;
        } else if (line.find('\0') != std::string::npos) {
            errcode = 1;
        } else {
            interpret(line, workbuf, outbuf, st.lab, st.dir, st.par, st.pt, st.len, drawn,
                      opt.boxopt, opt.sopt, errcode);
            dispatched = true;
        }
        report(errcode, lineno, 2);
        if (errcode != 0)
            st.failed = 1;
        // A line that is not dispatched writes nothing at all.
        if (dispatched) {
            if (errcode == 1 || errcode == 4 || errcode == 7)
                outbuf = "\n";
            put(out, workbuf);
            put(out, outbuf);
        }
        if (opt.hopt && drawn) {
            annotate(st, lineno, outbuf);
            put(out, outbuf);
        }
        if (!opt.nopt)
            progress(term, lineno);
    }
    if (opt.nopt) {
        put(term, "(");
        putnum(term, lineno);
        put(term, " lines)");
    }
    put(out, "\\end{picture}\n");
}
