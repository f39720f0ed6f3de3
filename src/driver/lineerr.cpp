#include "quillard.h"

void lineerr(Diag& diag, int& errcode, Lineno lineno, int pass, std::string_view line,
             std::size_t mark)
{
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
        if (errcode == 1) {
            std::string reason = why(line);
            if (!reason.empty()) {
                msg += ": ";
                msg += reason;
            }
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

    // Most errors are met by both passes: each is printed once, when the
    // first pass meets it, and the second pass adds only its own.
    if (pass == 1) {
        diag.seen.emplace_back(lineno, msg);
    } else {
        while (diag.next < diag.seen.size() && diag.seen[diag.next].first < lineno)
            ++diag.next;
        for (std::size_t k = diag.next; k < diag.seen.size() && diag.seen[k].first == lineno; ++k)
            if (diag.seen[k].second == msg)
                return;
    }
    Sink& out = *diag.errs;
    put(out, diag.file);
    put(out, ":");
    putnum(out, lineno);
    put(out, ": ");
    put(out, msg);
    put(out, "\n");
    show(out);
}
