#include "quillard.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

// Reads no more than the start of the file, without waiting on a FIFO.  A
// file that cannot be read is not known to be ours, so it is kept.
bool ours(const std::string& path)
{
    static const char HEAD[] = "\\begin{picture}(";
    const std::size_t n = sizeof HEAD - 1;
    int fd = openreg(path);
    if (fd < 0)
        return errno == ENOENT || errno == EISDIR;
    char buf[sizeof HEAD];
    std::size_t got = 0;
    bool failed = false;
    while (got < n) {
        ssize_t r = ::read(fd, buf + got, n - got);
        if (r < 0 && errno == EINTR)
            continue;
        failed = r < 0;
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    if (failed)
        return false;
    return got == 0 || (got == n && std::memcmp(buf, HEAD, n) == 0);
}
