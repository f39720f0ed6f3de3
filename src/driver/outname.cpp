#include "quillard.h"

// The base name of the source (its directory dropped) with the extension
// after its last '.' replaced, so that the file lands in the current
// directory.
std::string outname(std::string_view srcname, std::string_view ext)
{
    std::size_t slash = srcname.rfind('/');
    std::string base(slash == std::string_view::npos ? srcname : srcname.substr(slash + 1));
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos)
        base.resize(dot);
    base += ext;
    return base;
}
