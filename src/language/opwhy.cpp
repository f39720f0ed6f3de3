#include "quillard.h"

#include <algorithm>
#include <cstring>

// The reasons for faults inside the operands, once the parentheses, the
// quotes and the line's end have been found in order: which operand is
// wrong and how, read the way the scanners read it.

namespace {

constexpr std::size_t SHOWN = 24;   // operand characters a message repeats
constexpr const char* COMMENT = "a comment after a command starts with '%%'";

// The operand as a message quotes it: without the blanks around it, cut
// short when it is long.
std::string quoted(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && isblank_(text[b]))
        ++b;
    while (e > b && isblank_(text[e - 1]))
        --e;
    text = text.substr(b, e - b);
    std::string s = "'";
    if (text.size() > SHOWN) {
        s.append(text.substr(0, SHOWN));
        s += "...";
    } else {
        s.append(text);
    }
    return s + "'";
}

std::string onechar(char ch)
{
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
        return "a control character";
    return std::string("'") + ch + "'";
}

// What is wrong with a number operand, the text between its delimiters.
// refs: 0 decimal text only, 1 also a length '$name', 2 also '-$name'.
// Empty when the text reads as a number or a reference.
std::string number(std::string_view text, int refs)
{
    std::string head = "bad number " + quoted(text) + ": ";
    bool dot = false;
    std::size_t taken = 0;   // characters of the number so far, blanks dropped
    bool sign = false;       // the first of them was '-'
    for (char ch : text) {
        if (isblank_(ch))
            continue;
        if (ch == '$') {
            // A length reference: every character after it is its name.
            if ((refs >= 1 && taken == 0) || (refs == 2 && taken == 1 && sign))
                return {};
            if (refs == 0 && taken == 0)
                return "a length's value is a number, not another length: " + quoted(text);
            return head + "'$' only begins a length's name, as in '$w'";
        }
        if (ch == '%' && refs < 2)   // a value that runs to the line's end
            return COMMENT;
        if (ch == '-' && taken > 0)
            return head + "'-' may only come first";
        if (ch == '.' && dot)
            return head + "more than one '.'";
        if (ch == '.')
            dot = true;
        else if (ch == '-')
            sign = true;
        else if (!isdigit_(ch))
            return head + onechar(ch) + " is not part of a number";
        ++taken;
    }
    if (taken == 0)
        return "expected a number";
    return {};
}

// What is wrong with a name, a label's between parentheses or a length's
// before its '='; what: what the parentheses should hold, for empty ones.
std::string label(std::string_view text, const char* noun, const char* what)
{
    std::size_t k = skipbl(text, 0);
    if (k == text.size())
        return std::string("empty parentheses: expected ") + what;
    std::string head = std::string("bad ") + noun + " " + quoted(text) + ": ";
    char first = text[k];
    if (first != '\0' && std::strchr("0123456789.-$=", first) != nullptr)
        return head + "a name may not begin with '" + first + "'";
    for (; k < text.size(); ++k) {
        char ch = text[k];
        if (ch == '\0' || std::strchr("()=$,\"", ch) != nullptr)
            return head + onechar(ch) + " is not allowed in a name";
    }
    return {};
}

// The text between the '(' at open and the ')' that closes it, quoted
// texts skipped.
std::string_view inner(std::string_view line, std::size_t open)
{
    std::size_t k = open + 1;
    while (k < line.size() && line[k] != ')') {
        if (line[k] == '"') {
            std::size_t q = line.find('"', k + 1);
            if (q == std::string_view::npos)
                break;
            k = q;
        }
        ++k;
    }
    return line.substr(open + 1, std::min(k, line.size()) - open - 1);
}

// The operand of a line command or a move: a number, a length or a label.
std::string numlab(std::string_view text, const char* what)
{
    if (numstart(at(text, skipbl(text, 0))))
        return number(text, 2);
    return label(text, "label name", what);
}

// A quoted text and nothing else up to the ')'.
std::string quotext(std::string_view text, const char* form)
{
    std::size_t k = skipbl(text, 0);
    if (at(text, k) != '"')
        return std::string("expected a quoted text, as in ") + form;
    std::size_t q = text.find('"', k + 1);
    if (q == std::string_view::npos)
        return {};
    for (k = q + 1; k < text.size(); ++k)
        if (!isblank_(text[k]))
            return "unexpected text after the closing quote";
    return {};
}

// A box's '(width, height, "text")'.
std::string boxargs(std::string_view text)
{
    static const char* const FORM = "b (1.4, 0.8, \"$G$\")";
    const std::string wrong =
        std::string("a box takes a width, a height and a quoted text, as in ") + FORM;
    // The operands, split at the commas outside a quoted text.
    std::string_view part[3];
    std::size_t n = 0, from = 0;
    for (std::size_t k = 0; k <= text.size() && n < 3; ++k) {
        if (k < text.size() && text[k] == '"') {
            std::size_t q = text.find('"', k + 1);
            k = q == std::string_view::npos ? text.size() - 1 : q;
            continue;
        }
        if (k == text.size() || (text[k] == ',' && n < 2)) {
            part[n++] = text.substr(from, k - from);
            from = k + 1;
        }
    }
    if (n < 3)
        return wrong;
    for (std::size_t k = 0; k < 2; ++k) {
        std::string_view p = part[k];
        std::size_t b = skipbl(p, 0);
        if (b == p.size())
            return std::string(k == 0 ? "missing width" : "missing height") +
                   ", as in " + FORM;
        if (p[b] == '"')
            return wrong;
        if (std::string r = number(p, 2); !r.empty())
            return r;
    }
    return quotext(part[2], FORM);
}

// The value after the '=' of a length or parameter line, up to the line's end.
std::string_view value(std::string_view line, std::size_t eq)
{
    std::size_t k = eq + 1;
    while (k < line.size() && !lineend(line, k) && line[k] != '\r')
        ++k;
    return line.substr(eq + 1, k - eq - 1);
}

std::string lenline(std::string_view line, std::size_t i)
{
    std::size_t eq = line.find('=', i + 1);
    std::string_view name = line.substr(i + 1, eq - i - 1);
    if (name.find_first_not_of(" \t") == std::string_view::npos)
        return "missing length name between '$' and '='";
    if (std::string r = label(name, "length name", ""); !r.empty())
        return r;
    std::string_view v = value(line, eq);
    if (v.find_first_not_of(" \t") == std::string_view::npos)
        return "missing value after '='";
    return number(v, 0);
}

std::string parline(std::string_view line, std::size_t i, int minus)
{
    char letter = at(line, skipbl(line, i + 1));
    if (letter == '%')
        return minus ? "'\\%' takes no '-'" : "";
    std::size_t k = skipbl(line, skipbl(line, i + 1) + 1);   // after the letter
    char ch = at(line, k);
    if (lineend(line, k))
        return {};
    if (ch == '%')
        return COMMENT;
    if (ch != '=')
        return std::string("expected '=' or the end of the line after '\\") + letter + "'";
    if (minus)
        return "'-' turns a parameter into its negation and takes no value";
    std::string_view v = value(line, k);
    std::size_t b = v.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return "missing value after '='";
    if (v[b] == '$') {
        // The reference takes the rest of the line as its name.
        std::string_view name = v.substr(b + 1);
        if (name.find_first_not_of(" \t") == std::string_view::npos)
            return "missing length name after '$'";
        if (name.find('%') != std::string_view::npos)
            return COMMENT;
        return {};
    }
    std::size_t after = v.find_first_not_of(" \t", b + 1);
    if (v[b] == '-' && after != std::string_view::npos && v[after] == '$')
        return "a parameter takes a length as '$w', not '-$w'";
    return number(v, 1);
}

}  // namespace

std::string opwhy(std::string_view line, std::size_t i, char ch, int minus)
{
    if (ch == '$')
        return lenline(line, i);
    if (ch == '\\')
        return parline(line, i, minus);
    std::size_t open = skipbl(line, i + 1);
    if (linedir(ch) >= 0 && at(line, open) == '!')
        open = skipbl(line, open + 1);
    if (at(line, open) != '(')
        return {};
    std::string_view text = inner(line, open);
    switch (ch) {
    case 'x': case 'y': case 'X': case 'Y':
        return numlab(text, "a distance or a label");
    case 'a': case 'k': case 'n': case 'g':
        return label(text, "label name", "a label");
    case 't': {
        std::size_t b = text.find_first_not_of(" \t");
        if (b == std::string_view::npos)
            return "empty parentheses: expected r, u, l or d";
        std::size_t e = text.find_last_not_of(" \t");
        std::string_view w = text.substr(b, e - b + 1);
        if (w.size() == 1 && std::strchr("ruld", w[0]) != nullptr)
            return {};
        return "unknown direction " + quoted(w) + ": expected r, u, l or d";
    }
    case 's':
        if (text.find_first_not_of(" \t") == std::string_view::npos)
            return {};
        return number(text, 2);
    case 'c':
        return quotext(text, "c (\"$u$\")");
    case 'b': case 'B':
        return boxargs(text);
    default:
        break;
    }
    if (linedir(ch) >= 0)
        return numlab(text, "a length or a label");
    return {};
}
