#include "quillard.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

// Opens a configuration file that exists and is not a directory.
std::FILE* openconf(const std::string& path)
{
    struct stat sb {};
    if (stat(path.c_str(), &sb) != 0 || S_ISDIR(sb.st_mode))
        return nullptr;
    return std::fopen(path.c_str(), "rb");
}

}  // namespace

// Looks for ".quillard" in the current directory, else in the directory the
// variable QUILLARD names (an empty value counts as unset), and applies each
// of its lines to the defaults.
int rdconfig()
{
    std::FILE* fp = openconf(".quillard");
    if (fp == nullptr) {
        const char* dir = std::getenv("QUILLARD");
        if (dir == nullptr || *dir == '\0')
            return 0;
        std::string path = dir;
        if (path.back() != '/')
            path += '/';
        path += ".quillard";
        fp = openconf(path);
        if (fp == nullptr)
            return 0;
    }
    Reader in;
    in.fp = fp;
    int failed = applyconf(in);
    std::fclose(fp);
    return failed;
}
