#include "quillard.h"

#include <cerrno>
#include <cstdlib>

#include <unistd.h>

namespace {

// Opens a configuration file that exists.  Only a regular file is read: one
// that is not (a FIFO, a device, a directory) is passed over with a note,
// without waiting for a writer or reading without end.
std::FILE* openconf(const std::string& path, Diag* quiet)
{
    int fd = openreg(path);
    if (fd < 0 && errno != 0 && errno != EISDIR)
        return nullptr;
    if (fd < 0) {
        Sink& to = quiet != nullptr ? *quiet->errs : term;
        put(to, "Configuration file ");
        put(to, path);
        put(to, " is not a regular file; ignored.\n");
        return nullptr;
    }
    std::FILE* fp = ::fdopen(fd, "rb");
    if (fp == nullptr)
        ::close(fd);
    return fp;
}

}  // namespace

// Looks for ".quillard" in the current directory, else in the directory the
// variable QUILLARD names (an empty value counts as unset), and applies each
// of its lines to the defaults.
int rdconfig(Diag* quiet)
{
    std::string path = ".quillard";
    std::FILE* fp = openconf(path, quiet);
    if (fp == nullptr) {
        const char* dir = std::getenv("QUILLARD");
        if (dir == nullptr || *dir == '\0')
            return 0;
        path = dir;
        if (path.back() != '/')
            path += '/';
        path += ".quillard";
        fp = openconf(path, quiet);
        if (fp == nullptr)
            return 0;
    }
    Reader in;
    in.fp = fp;
    int failed = 0;
    if (quiet != nullptr) {
        State conf;
        conf.diag.quiet = 1;
        conf.diag.file = path;
        conf.diag.errs = quiet->errs;
        failed = applyconf(in, &conf);
        tellall(conf.diag);
    } else {
        failed = applyconf(in);
    }
    std::fclose(fp);
    return failed;
}
