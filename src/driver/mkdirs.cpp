#include "quillard.h"

#include <cerrno>

#include <sys/stat.h>

// Each folder of the path in turn, from the first: one that exists must be a
// folder (or a link to one); a missing one is made.
bool mkdirs(const std::string& dir)
{
    std::size_t end = 0;
    while (end < dir.size()) {
        end = dir.find('/', end + 1);
        if (end == std::string::npos)
            end = dir.size();
        std::string part = dir.substr(0, end);
        if (part.empty() || part.back() == '/')
            continue;
        struct stat sb {};
        if (::stat(part.c_str(), &sb) == 0) {
            if (!S_ISDIR(sb.st_mode)) {
                errno = ENOTDIR;
                return false;
            }
            continue;
        }
        if (errno != ENOENT || (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST))
            return false;
    }
    return true;
}
