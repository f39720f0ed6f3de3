#include "quillard.h"

#ifdef __EMSCRIPTEN__
#include <cstdlib>
#include <string>
#else
#include <charconv>
#endif

// The value of a decimal text as the standard decimal conversion gives it:
// correctly rounded, and 0 for a text without digits ('-', '.').
double tonum(std::string_view text)
{
#ifdef __EMSCRIPTEN__
    // The WebAssembly C++ library has no floating-point from_chars; its strtod
    // rounds correctly too, and the translator never leaves the C locale.
    return std::strtod(std::string(text).c_str(), nullptr);
#else
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
#endif
}
