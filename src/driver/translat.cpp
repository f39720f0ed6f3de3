#include "quillard.h"

#include <utility>

// Translates a source held in memory, with an optional configuration text,
// exactly as a run of the program would: the picture goes to out, the
// transcript after the banner to transcript.  No file is read or written.
// Returns the exit status.
int translate(std::string_view source, std::string_view conf, const Options& opt,
              std::string& out, std::string& transcript)
{
    Sink saved = std::move(term);
    term = Sink{};
    builtin();
    State st;
    if (!conf.empty()) {
        Reader cin;
        cin.mem = conf;
        st.failed = applyconf(cin);
    }
    st.par = defaults();
    Reader in;
    in.mem = source;
    pass1(in, st, opt);
    Sink dst;
    pass2(in, st, dst, opt);
    if (st.failed)
        put(term, "\n\nWarning:  Quillard ended unsuccessfully.");
    put(term, "\n\n");
    out = std::move(dst.buf);
    transcript = std::move(term.buf);
    term = std::move(saved);
    builtin();
    return st.failed;
}
