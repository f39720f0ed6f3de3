#include "quillard.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeall(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

// Copies the file from into a new file named to: the bytes go to a
// temporary file beside to, which is synced and renamed over it.  An
// existing file named to is never opened, and a link of that name is
// replaced, not followed.  No shell is involved, so any name is safe.  Only a
// regular file is copied; the open does not wait on a FIFO.
bool copyfile(const std::string& from, const std::string& to)
{
    int in = openreg(from);
    if (in < 0) {
        if (errno == 0)
            errno = EINVAL;
        return false;
    }
    struct stat sb {};
    ::fstat(in, &sb);
    std::size_t slash = to.rfind('/');
    std::string temp = slash == std::string::npos
                           ? "." + to + ".XXXXXX"
                           : to.substr(0, slash + 1) + "." + to.substr(slash + 1) + ".XXXXXX";
    temporary(1, &temp);   // before it exists: the name is made in place
    int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        int err = errno;
        temporary(1, nullptr);
        ::close(in);
        errno = err;
        return false;
    }
    ::fchmod(out, sb.st_mode & 07777);
    char buf[1 << 15];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeall(out, buf, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    int err = errno;
    if (ok && ::fsync(out) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    ::close(in);
    if (ok && ::rename(temp.c_str(), to.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok)
        ::unlink(temp.c_str());
    temporary(1, nullptr);
    errno = ok ? 0 : (err != 0 ? err : EIO);
    return ok;
}
