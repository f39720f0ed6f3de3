#include "quillard.h"

#include <cerrno>

// Copies the file from to the file to, replacing it.  No shell is involved,
// so any file name is safe.
bool copyfile(const std::string& from, const std::string& to)
{
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
        return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (out == nullptr) {
        int err = errno;
        std::fclose(in);
        errno = err;
        return false;
    }
    char buf[1 << 15];
    bool ok = true;
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
        if (std::fwrite(buf, 1, n, out) != n) {
            ok = false;
            break;
        }
    }
    int err = errno;
    if (std::ferror(in))
        ok = false;
    if (std::fclose(out) != 0)
        ok = false;
    std::fclose(in);
    if (!ok && errno == 0)
        errno = err != 0 ? err : EIO;
    return ok;
}
