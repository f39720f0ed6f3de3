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
    Lengths none;
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
    std::fclose(fp);
    if (failed)
        put(term, "Configuration file error\n\n");
    return failed;
}
