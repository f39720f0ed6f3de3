#include "quillard.h"

// Applies every line of a configuration file to the defaults.  A bad line
// is counted, not reported by itself; one message follows the file.  Quiet,
// each bad line is reported instead, with its number in the file.
int applyconf(Reader& in, State* quiet)
{
    Lengths none;   // no length is known while the file is read
    std::string line;
    int failed = 0;
    Lineno lineno = 0;
    while (rdline(in, line)) {
        ++lineno;
        int errcode = 0;
        std::size_t mark = term.buf.size();
        if (line.size() >= MAXREAD) {
            errcode = 11;
        } else if (line.find('\0') != std::string::npos) {
            errcode = 1;
        } else {
            Params def = defaults();
            config(line, def, none, errcode);
            setdefaults(def);
        }
        if (errcode != 0) {
            failed = 1;
            if (quiet != nullptr) {
                quiet->par = defaults();   // a value out of range is named
                quiet->diag.conf = 1;
                lineerr(*quiet, errcode, lineno, 1, line, mark);
            }
        }
    }
    if (in.error)
        failed = 1;
    if (failed && quiet == nullptr)
        put(term, "Configuration file error\n\n");
    return failed;
}
