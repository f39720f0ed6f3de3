#include "quillard.h"

// Each length as its name and value, both ended by a NUL byte, which no
// name or value holds (a line with one is refused before it is read).
std::string lenpack(const Lengths& len)
{
    std::string text;
    for (int j = 0; j < len.nlen; ++j) {
        auto s = static_cast<std::size_t>(j);
        text += len.lenname[s];
        text += '\0';
        text += len.lenval[s];
        text += '\0';
    }
    return text;
}

void lenload(std::string_view text, Lengths& len)
{
    len.nlen = 0;
    len.idx = Nameidx{};
    std::size_t i = 0;
    while (i < text.size() && len.nlen < MAXLEN) {
        auto s = static_cast<std::size_t>(len.nlen);
        std::size_t e = text.find('\0', i);
        len.lenname[s].assign(text.substr(i, e - i));
        i = e + 1;
        e = text.find('\0', i);
        len.lenval[s].assign(text.substr(i, e - i));
        len.lennum[s] = tonum(len.lenval[s]);
        i = e + 1;
        ++len.nlen;
    }
    if (len.nlen > 0)
        addname(len.idx, len.lenname.data(), len.nlen);
}
