#include "quillard.h"

void lineerr(State& st, int& errcode, Lineno lineno, int pass, std::string_view line,
             std::size_t mark)
{
    Diag& diag = st.diag;
    if (!diag.quiet) {
        report(errcode, lineno, pass);
        return;
    }
    std::string msg;
    if (errcode == 0 || (errcode == 6 && pass == 1)) {
        term.buf.resize(mark);
        return;
    }
    if (const char* text = errtext(errcode, pass)) {
        msg = text;
        std::string more = errcode == 1 ? why(line, diag.conf) : reason(errcode, line, st);
        if (!more.empty()) {
            msg += ": ";
            msg += more;
        }
    } else {
        // The handler printed the message itself, after a newline.
        std::string_view said = std::string_view(term.buf).substr(mark);
        while (!said.empty() && said.front() == '\n')
            said.remove_prefix(1);
        msg = said;
    }
    term.buf.resize(mark);
    if (errcode == -1)
        errcode = 0;

    std::string full = diag.file;
    full += ':';
    full += std::to_string(lineno);
    full += ": ";
    full += msg;
    full += '\n';

    // Most errors are met by both passes: each is kept once, when the first
    // pass meets it, and the second pass adds only its own.
    if (pass == 2) {
        if (!diag.second) {
            diag.second = 1;
            diag.first = diag.notes.size();
        }
        while (diag.next < diag.first && diag.notes[diag.next].line < lineno)
            ++diag.next;
        for (std::size_t k = diag.next; k < diag.first && diag.notes[k].line == lineno; ++k) {
            const Note& nt = diag.notes[k];
            if (std::string_view(diag.text).substr(nt.off, nt.len) == full)
                return;
        }
    }
    addnote(diag, lineno, full);
}
