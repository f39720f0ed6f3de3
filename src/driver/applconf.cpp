#include "quillard.h"

// Applies every line of a configuration file to the defaults.  A bad line
// is counted, not reported by itself; one message follows the file.
int applyconf(Reader& in)
{
    Lengths none;   // no length is known while the file is read
    std::string line;
    int failed = 0;
    while (rdline(in, line)) {
        int errcode = 0;
        if (line.size() >= MAXREAD) {
            errcode = 11;
        } else if (line.find('\0') != std::string::npos) {
            errcode = 1;
        } else {
            Params def = defaults();
            config(line, def, none, errcode);
            setdefaults(def);
        }
        if (errcode != 0)
            failed = 1;
    }
    if (in.error)
        failed = 1;
    if (failed)
        put(term, "Configuration file error\n\n");
    return failed;
}
