#include "quillard.h"

#include <algorithm>
#include <cstring>

namespace {

// Two reasons a word written for a command also meets (why() adds to them).
constexpr const char* EXTRA = "unexpected text after the command";
constexpr const char* NOPAREN = "expected '('";

// The reason for a fault at i, where the end of the line was due.
const char* badend(std::string_view line, std::size_t i)
{
    char ch = at(line, i);
    if (ch == '\r')
        return "carriage return inside a line";
    if (i >= line.size())
        return "missing newline at the end of the file";
    if (ch == '%')
        return "a comment after a command starts with '%%'";
    return EXTRA;
}

// The reason for a fault in the parenthesised operands from i on.
const char* operands(std::string_view line, std::size_t i)
{
    i = skipbl(line, i);
    if (at(line, i) == '\r')
        return "carriage return inside a line";
    if (at(line, i) != '(')
        return NOPAREN;
    for (++i; i < line.size(); ++i) {
        char ch = line[i];
        if (ch == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                return "missing closing quote";
            i = close;
        } else if (ch == '\r') {
            return "carriage return inside a line";
        } else if (ch == '\n') {
            return "expected ')'";
        } else if (ch == ')') {
            std::size_t j = skipbl(line, i + 1);
            return lineend(line, j) ? nullptr : badend(line, j);
        }
    }
    return "expected ')'";
}

// The reason for a fault in a LaTeX text line from its '%' at i: a
// substitution whose name runs to the end of the line, found in the order
// the line is converted.
std::string texwhy(std::string_view line, std::size_t i)
{
    std::size_t k = skipbl(line, i + 1);
    if (at(line, k) == '%')
        return {};   // a LaTeX comment, taken as it is
    std::size_t end = std::min(line.find('\n', k), line.size());
    while (k < end) {
        char sel = at(line, k + 1);
        if (line[k] != '"' || sel == 'x' || sel == 'y' || sel == '&') {
            k += line[k] == '"' ? 2 : 1;
            continue;
        }
        std::size_t from = k;
        if (sel == '-' && at(line, k + 2) == '$')
            ++k;
        else if (sel != '*' && sel != '/' && sel != '@' && sel != '$') {
            ++k;
            continue;
        }
        std::size_t close = line.find('"', k + 2);
        if (close >= end) {
            std::string_view sub = line.substr(from, std::min<std::size_t>(end - from, 24));
            return "substitution '" + std::string(sub) + "' has no closing '\"'";
        }
        k = close + 1;
    }
    return {};
}

std::string text(const char* reason)
{
    return reason != nullptr ? reason : "";
}

// Looks at the shape every command line shares: the command character, the
// '-' prefix, the parentheses around the operands, the quotes of a text and
// the line's end; when those are in order, at the operands themselves.
std::string whyshape(std::string_view line, int conf)
{
    if (line.find('\0') != std::string_view::npos)
        return "NUL byte in the line";
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    char ch = at(line, i);
    if (ch == '\r')
        return "carriage return inside a line";
    if (minus && (ch == '\n' || i >= line.size()))
        return "'-' without a command";
    if (conf && ch != '\\')
        return "a configuration file holds only parameter lines, as '\\c = 0.3'";
    if (minus && !takesminus(ch)) {
        if (ch == '%' || ch == '$')
            return "'-' before a LaTeX or length line";
        return std::string("command '") + ch + "' takes no '-'";
    }
    if (linedir(ch) >= 0) {
        std::size_t j = skipbl(line, i + 1);
        if (const char* r = operands(line, at(line, j) == '!' ? j + 1 : j))
            return r;
        return opwhy(line, i, ch, minus);
    }
    switch (ch) {
    case 'p': case 'm': {
        std::size_t j = skipbl(line, i + 1);
        if (at(line, j) == '(')
            return std::string("'") + ch + "' takes no operand";
        return text(lineend(line, j) ? nullptr : badend(line, j));
    }
    case 'n': case 'k': case 'a': case 'b': case 'B': case 'c': case 's':
    case 'x': case 'y': case 'X': case 'Y': case 'g': case 't':
        // A box or an annotation with no quote at all: its text was written
        // without quotes, whatever the parentheses look like then.
        if ((ch == 'b' || ch == 'B' || ch == 'c') && line.find('"') == std::string_view::npos) {
            if (std::string r = opwhy(line, i, ch, minus); !r.empty())
                return r;
        }
        if (const char* r = operands(line, i + 1))
            return r;
        return opwhy(line, i, ch, minus);
    case '%':
        return texwhy(line, i);
    case '$': {
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq > line.find('\n'))
            return "expected '=' after the length's name";
        if (line.find('\r') != std::string_view::npos)
            return "carriage return inside a line";
        return opwhy(line, i, ch, minus);
    }
    case '\\': {
        char letter = at(line, skipbl(line, i + 1));
        if (letter == '\0' || std::strchr("tblrakpvcdseio%", letter) == nullptr) {
            std::string r = "unknown parameter letter ";
            if (letter > ' ' && letter < 0x7f)
                r += std::string("'") + letter + "' ";
            return r + "after '\\': the letters are t, b, l, r, a, k, p, v, c, d, s, e, i and o";
        }
        if (line.find('\r') != std::string_view::npos)
            return "carriage return inside a line";
        return opwhy(line, i, ch, minus);
    }
    default:
        break;
    }
    if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7f)
        return "unknown command character";
    return std::string("unknown command '") + ch + "'";
}

}  // namespace

// A command is one character: a word such as "box" or "line" reads as its
// first letter followed by the rest, and the reason says so.
std::string why(std::string_view line, int conf)
{
    std::string r = whyshape(line, conf);
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t end = i;
    while (end < line.size() && letter(line[end]))
        ++end;
    if (conf || end - i < 2 || (r != NOPAREN && r != EXTRA))
        return r;
    std::string_view word = line.substr(i, std::min<std::size_t>(end - i, 24));
    r += ": a command is one character, so '";
    r += word;
    r += "' is '";
    r += word.substr(0, 1);
    r += "' followed by '";
    r += word.substr(1);
    r += "'";
    return r;
}
