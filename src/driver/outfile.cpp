#include "quillard.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string dirof(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool same(const struct stat& a, const std::string& path)
{
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// Finds the file the output replaces: the name itself, or where its symbolic
// links lead, so that a link stays a link.  A link that leads to the backup
// is not followed: the backup is about to take the old picture.
int resolve(Outfile& f, const std::string& bak)
{
    std::string path = f.name;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat sb {};
        if (::lstat(path.c_str(), &sb) != 0) {
            if (errno != ENOENT)
                return errno;
            f.target = path;   // a new file, or where a dangling link leads
            f.existed = false;
            return 0;
        }
        if (S_ISLNK(sb.st_mode)) {
            std::string link(PATH_MAX, '\0');
            ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
            if (n < 0)
                return errno;
            if (static_cast<std::size_t>(n) >= link.size())
                return ENAMETOOLONG;
            link.resize(static_cast<std::size_t>(n));
            path = link[0] == '/' ? link : dirof(path) + link;
            continue;
        }
        if (S_ISDIR(sb.st_mode))
            return EISDIR;
        if (!S_ISREG(sb.st_mode))
            return -1;   // a FIFO, a device, a socket: nothing to replace
        f.existed = true;
        f.mode = static_cast<unsigned>(sb.st_mode & 07777);
        f.target = path;
        if (!bak.empty() && path != f.name && same(sb, bak))
            f.target = f.name;
        return 0;
    }
    return ELOOP;
}

// Creates the temporary file beside the target.
bool create(Outfile& f)
{
    std::string base = f.target.substr(dirof(f.target).size());
    f.temp = dirof(f.target) + "." + base + ".XXXXXX";
    // Known to the interrupt handler before it exists: the name is made in
    // place in the same text before the file is created.
    temporary(0, &f.temp);
    int fd = ::mkostemp(f.temp.data(), O_CLOEXEC);
    if (fd < 0) {
        temporary(0, nullptr);
        f.temp.clear();
        return false;
    }
    unsigned mode = f.mode;
    if (!f.existed) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666u & ~static_cast<unsigned>(mask);
    }
    ::fchmod(fd, static_cast<mode_t>(mode));
    f.fp = ::fdopen(fd, "wb");
    if (f.fp == nullptr) {
        int err = errno;
        ::close(fd);
        discard(f);
        errno = err;
        return false;
    }
    // The sink writes in large blocks of its own: they go straight to the
    // file, not once more through the stream's buffer.
    std::setvbuf(f.fp, nullptr, _IONBF, 0);
    return true;
}

// Writes out what is left, syncs the file and renames it over the target.
bool commit(Outfile& f, Sink& sink)
{
    bool ok = flush(sink);
    int err = ok ? 0 : sink.errnum != 0 ? sink.errnum : errno;
    if (ok && ::fsync(::fileno(f.fp)) != 0) {
        ok = false;
        err = errno;
    }
    if (std::fclose(f.fp) != 0 && ok) {
        ok = false;
        err = errno;
    }
    f.fp = nullptr;
    sink.fp = nullptr;
    if (ok && ::rename(f.temp.c_str(), f.target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        discard(f);
        errno = err != 0 ? err : EIO;
        return false;
    }
    temporary(0, nullptr);
    f.temp.clear();
    // The new name is made durable too.
    std::string dir = dirof(f.target);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

// Removes the temporary file: the target keeps what it held.
void discard(Outfile& f)
{
    if (f.fp != nullptr) {
        std::fclose(f.fp);
        f.fp = nullptr;
    }
    if (!f.temp.empty()) {
        ::unlink(f.temp.c_str());
        temporary(0, nullptr);
        f.temp.clear();
    }
}
