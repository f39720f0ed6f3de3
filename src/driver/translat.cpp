#include "quillard.h"

#include <utility>

// Translates a source held in memory, with an optional configuration text,
// exactly as a run of the program would: the picture goes to out, the
// transcript after the banner to transcript (quiet: the messages a quiet run
// writes on standard error, the source called name and the configuration
// text ".quillard").  No file is read or written.  Returns the exit status.
int translate(std::string_view source, std::string_view conf, const Options& opt,
              std::string& out, std::string& transcript, std::string_view name)
{
    Sink saved = std::move(term);
    term = Sink{};
    builtin();
    Sink errs;
    State st;
    if (opt.quiet) {
        st.diag.quiet = 1;
        st.diag.file = name;
        st.diag.errs = &errs;
    }
    if (!conf.empty()) {
        Reader cin;
        cin.mem = conf;
        if (opt.quiet) {
            State cst;
            cst.diag = st.diag;
            cst.diag.file = ".quillard";
            st.failed = applyconf(cin, &cst);
            tellall(cst.diag);
        } else {
            st.failed = applyconf(cin);
        }
    }
    st.par = defaults();
    Reader in;
    in.mem = source;
    pass1(in, st, opt);
    Sink dst;
    pass2(in, st, dst, opt);
    if (opt.quiet) {
        below(st);
        tellall(st.diag);
        transcript = std::move(errs.buf);
    } else {
        if (st.failed)
            put(term, "\n\nWarning:  Quillard ended unsuccessfully.");
        put(term, "\n\n");
        transcript = std::move(term.buf);
    }
    out = std::move(dst.buf);
    term = std::move(saved);
    builtin();
    return st.failed;
}
