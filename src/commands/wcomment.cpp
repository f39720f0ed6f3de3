#include "quillard.h"

// Second pass of 'c': reads the quoted text and leaves it to putnote.
void wcomment(std::size_t pos, std::string_view line, std::string& outbuf, double c, int dir,
              double refx, double refy, int& errcode)
{
    std::string_view text;
    if (quoted(pos, line, text, errcode))
        putnote(text, outbuf, c, dir, refx, refy);
}
