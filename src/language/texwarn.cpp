#include "quillard.h"

#include <string>

namespace {

// The problems a text can have, in the order their messages are kept.
enum Kind { PERCENT, HASH, AMP, UNDER, CARET, DOLLAR, OPEN, CLOSE, KINDS };

const char* const MESSAGE[KINDS] = {
    "'%' in a text starts a LaTeX comment; write '\\%'",
    "'#' in a text is a LaTeX macro parameter; write '\\#'",
    "'&' in a text is a LaTeX alignment tab; write '\\&'",
    "'_' in a text works only in math; write '\\_' or put it inside $...$",
    "'^' in a text works only in math; write '\\^{}' or put it inside $...$",
    "'$' in a text opens math that is never closed; close it or write '\\$'",
    "'{' in a text is never closed; close it or write '\\{'",
    "'}' in a text closes no '{'; write '\\}'",
};

}  // namespace

// Looks at the quoted text of a box or annotation line as LaTeX will read
// it inside the picture: a backslash escapes the character after it, '$'
// and '\(' '\)' switch math on and off.
std::vector<std::string> texwarn(std::string_view line)
{
    std::vector<std::string> said;
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    char ch = at(line, i);
    if (ch != 'b' && ch != 'B' && ch != 'c')
        return said;
    // Numbers and length names hold no '"': the first one opens the text.
    std::size_t open = line.find('"', i + 1);
    if (open == std::string_view::npos)
        return said;
    std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos)
        return said;
    std::string_view text = line.substr(open + 1, close - open - 1);

    bool found[KINDS] = {};
    int order[KINDS];
    int nfound = 0;
    auto mark = [&](Kind k) {
        if (!found[k]) {
            found[k] = true;
            order[nfound++] = k;
        }
    };
    bool math = false;
    long depth = 0;
    // A '%' drops the rest of the text: what follows it does not count.
    bool comment = false;
    for (std::size_t j = 0; j < text.size() && !comment; ++j) {
        char c = text[j];
        switch (c) {
        case '\\':
            if (j + 1 < text.size()) {
                char next = text[j + 1];
                if (next == '(' || next == '[')
                    math = true;
                else if (next == ')' || next == ']')
                    math = false;
                ++j;
            }
            break;
        case '$': math = !math; break;
        case '%':
            mark(PERCENT);
            comment = true;
            break;
        case '#': mark(HASH); break;
        case '&': mark(AMP); break;
        case '_':
            if (!math)
                mark(UNDER);
            break;
        case '^':
            if (!math)
                mark(CARET);
            break;
        case '{': ++depth; break;
        case '}':
            if (depth == 0)
                mark(CLOSE);
            else
                --depth;
            break;
        default: break;
        }
    }
    if (math && !comment)
        mark(DOLLAR);
    if (depth > 0 && !comment)
        mark(OPEN);
    for (int k = 0; k < nfound; ++k)
        said.emplace_back(MESSAGE[order[k]]);
    return said;
}
