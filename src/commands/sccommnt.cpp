#include "quillard.h"

// First pass of 'c': the line is checked; an annotation is never measured.
void sccomment(std::size_t pos, std::string_view line, int& errcode)
{
    std::string_view text;
    quoted(pos, line, text, errcode);
}
