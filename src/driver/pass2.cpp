#include "quillard.h"

#include <charconv>

namespace {

// The line number of the annotation under -h, at the current point, on the
// side of the end of the item that the direction says.
void annotate(const State& st, Lineno lineno, std::string& buf)
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
    char num[24];
    auto [end, ec] = std::to_chars(num, num + sizeof num, lineno);
    (void)ec;
    buf.append(num, end);
    buf += mark[st.dir & 3];
    buf += "}}";
}

}  // namespace

void lines2(Reader& src, State& st, Sink& out, const Options& opt, Span& span)
{
    std::string buf, workbuf, note;   // buf: a line that does not lie whole in the reader's block
    std::string_view line;
    Lineno lineno = span.from;
    int errcode = 0;
    bool quiet = st.diag.quiet;
    Sink& tm = term;   // this thread's, looked up once
    while ((span.to < 0 || lineno < span.to) && rdview(src, line, buf)) {
        ++lineno;
        int drawn = 0;
        errcode = 0;
        bool dispatched = false;
        std::size_t mark = tm.buf.size();
        std::size_t start = out.buf.size();   // where the line's LaTeX goes
        if (line.size() >= MAXREAD) {
            errcode = 11;
        } else if (src.nul) {
            // No command holds a NUL byte: the line is a syntax error and
            // keeps its place in the picture as its indentation and a newline.
            errcode = 1;
            workbuf.assign(line.substr(0, skipbl(line, 0)));
            dispatched = true;
        } else {
            interpret(line, workbuf, out.buf, st.lab, st.dir, st.par, st.pt, st.len, drawn,
                      opt.boxopt, opt.sopt, errcode);
            dispatched = true;
        }
        if (lineno == span.from + 1)
            span.first = errcode;
        if (errcode != 0) {
            lineerr(st, errcode, lineno, 2, line, mark);
            if (errcode != 0)
                st.failed = 1;
        }
        // A piece of an overlong line is not dispatched and writes nothing.
        // The line's LaTeX went straight to the sink, its indentation goes
        // before it.
        if (dispatched) {
            if (errcode == 1 || errcode == 4 || errcode == 7) {
                out.buf.resize(start);
                out.buf += '\n';
            }
            if (!workbuf.empty())
                out.buf.insert(start, workbuf);
            if (out.fp != nullptr && out.buf.size() >= SINKBLOCK)
                drain(out);
        }
        if (opt.hopt && drawn) {
            annotate(st, lineno, note);
            put(out, note);
        }
        if (opt.ends)
            opt.ends->push_back(out.buf.size());
        if (!opt.nopt && !quiet)
            progress(tm, lineno);
    }
    settle(tm);
    span.from = lineno;
}

void pass2(Reader& src, State& st, Sink& out, const Options& opt)
{
    rewind(src);
    between(st);

    bool quiet = st.diag.quiet;
    if (!quiet)
        put(term, "Generating LaTeX source file:  ");
    std::string header;
    stfile(st.ext, st.par.t, st.par.b, st.par.l, st.par.r, header);
    put(out, header);
    if (opt.ends)
        opt.ends->push_back(out.buf.size());

    Lineno lineno = pieces(src, st, out, opt);
    if (lineno < 0) {
        Span all;
        lines2(src, st, out, opt, all);
        lineno = all.from;
    }
    if (opt.nopt && !quiet) {
        put(term, "(");
        putnum(term, lineno);
        put(term, " lines)");
    }
    put(out, "\\end{picture}\n");
    show(term);
}
