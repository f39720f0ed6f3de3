#include "quillard.h"

#include <algorithm>

namespace {

// A line whose command sets the last point to the current point before it
// reads anything else of the points: the line commands, the boxes, the
// sampler, and the moves and jumps without a '-'.
bool setslast(char ch, int minus)
{
    return linedir(ch) >= 0 || ch == 'b' || ch == 'B' || ch == 's' ||
           (!minus && (ch == 'x' || ch == 'y' || ch == 'g'));
}

// The bytes of the source a piece of the second pass holds at least: a
// 32nd of the source, within MINPIECE and PIECE, so that a small source is
// cut into enough pieces to keep the threads busy to the end, and a large
// one into pieces that cost little to hand over.
std::int64_t piecesize(const Reader& src, const Options& opt)
{
    if (opt.piece > 0)
        return static_cast<std::int64_t>(opt.piece);
    return std::clamp<std::int64_t>(srcsize(src) / 32, MINPIECE, static_cast<std::int64_t>(PIECE));
}

}  // namespace

void pass1(Reader& src, State& st, const Options& opt)
{
    std::string buf;   // a line that does not lie whole in the reader's block
    std::string_view line;
    Lineno lineno = 0;
    int errcode = 0;
    bool quiet = st.diag.quiet;
    st.dir = 0;
    // The places where the second pass may be cut, at least piece bytes apart.
    bool cutting = nthreads(opt) > 1;
    std::int64_t piece = cutting ? piecesize(src, opt) : 0;
    std::int64_t lastcut = 0;
    Cut cut;
    bool pending = false;   // cut holds the 'g' line before this one
    // The parameters as the second pass will have them: the first pass keeps
    // only six of them.
    Params later = st.par;
    st.cuts.clear();
    st.diag.labline.clear();
    st.diag.lenline.clear();
    Sink& tm = term;   // this thread's, looked up once
    Shape sh;          // each line's, when it has a common shape
    if (!quiet)
        put(tm, "Checking Quillard source file:  ");
    while (rdview(src, line, buf)) {
        ++lineno;
        errcode = 0;
        std::size_t mark = tm.buf.size();
        bool whole = line.size() < MAXREAD && !src.nul;
        // The line's command: from its shape when it has a common one.
        bool shaped = whole && shape(line, st.lab, st.len, sh);
        int minus = sh.minus;
        std::size_t cpos = 0;
        char ch = sh.cmd;
        if (!shaped) {
            cpos = cmdpos(line, minus);
            ch = at(line, cpos);
        }
        if (pending && whole && setslast(ch, minus)) {
            if (st.cuts.size() == MAXCUTS) {
                // Too many: every other one goes, the pieces grow twice as long.
                for (std::size_t k = 1; 2 * k < MAXCUTS; ++k)
                    st.cuts[k] = std::move(st.cuts[2 * k]);
                st.cuts.resize(MAXCUTS / 2);
                piece *= 2;
            }
            lastcut = cut.off;
            st.cuts.push_back(std::move(cut));
        }
        pending = false;
        // A 'g' line, which puts the current and the reference point at a
        // label whatever they were.
        if (cutting && whole && !minus && ch == 'g' && src.at - lastcut >= piece) {
            cut.line = lineno;
            cut.off = src.at;
            cut.dir = st.dir;
            cut.par = later;
            cut.len = lenpack(st.len);
            pending = true;
        }
        int nlab = st.lab.nlab, nlen = st.len.nlen;
        if (line.size() >= MAXREAD)
            errcode = 11;
        else if (src.nul)
            errcode = 1;   // no command holds a NUL byte
        else if (shaped)
            scshape(sh, st.lab, st.par.s, st.dir, st.pt, st.ext);
        else
            scgen(line, st.lab, st.len, st.dir, st.par, st.pt, st.ext, errcode);
        if (quiet && st.lab.nlab > nlab)
            st.diag.labline.push_back(lineno);
        if (quiet && st.len.nlen > nlen)
            st.diag.lenline.push_back(lineno);
        if (cutting && whole && errcode == 0 && ch == '\\') {
            // A parameter line as the second pass takes it.  After an error
            // the second pass may take it otherwise: the guesses after it may
            // then be wrong, which the second pass finds.
            int ignored = 0;
            param(cpos, line, later, st.len, 1, minus, ignored);
        }
        if (errcode != 0) {
            pending = false;
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
            progress(tm, lineno);
    }
    settle(tm);
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
