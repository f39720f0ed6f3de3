// Helpers shared by the hostile-input tests that run the translation in
// memory.
#ifndef QUILLARD_HOSTILE_COMMON_H
#define QUILLARD_HOSTILE_COMMON_H

#include "quillard.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace hostile {

struct Translation {
    int status = -1;
    std::string out;         // the picture
    std::string transcript;  // the terminal after the banner
};

inline Translation tr(std::string_view source, std::string_view conf = {}, Options opt = {})
{
    Translation t;
    t.status = translate(source, conf, opt, t.out, t.transcript);
    return t;
}

inline std::size_t count(std::string_view hay, std::string_view needle)
{
    std::size_t n = 0;
    for (std::size_t at = hay.find(needle); at != std::string_view::npos;
         at = hay.find(needle, at + needle.size()))
        ++n;
    return n;
}

inline std::string picture(std::string_view header, std::string_view body)
{
    return std::string("\\begin{picture}") + std::string(header) + "\n" + std::string(body) +
           "\\end{picture}\n";
}

inline const std::string EMPTY = "\\begin{picture}(0,0)(0,0)\n\\end{picture}\n";

// True when the text holds a number written with an exponent ("3e-05",
// "1.5e+13").
inline bool hasexponent(std::string_view s)
{
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] != 'e' || !(s[i - 1] >= '0' && s[i - 1] <= '9'))
            continue;
        std::size_t j = i + 1;
        if (s[j] == '+' || s[j] == '-')
            ++j;
        if (j < s.size() && s[j] >= '0' && s[j] <= '9')
            return true;
    }
    return false;
}

}  // namespace hostile

#endif
