#include "quillard.h"

#include <charconv>

// The value of a decimal text as the standard decimal conversion gives it:
// correctly rounded, and 0 for a text without digits ('-', '.').
double tonum(std::string_view text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}
