#include "quillard.h"

namespace {

// A command that reads and changes nothing of the run's state, whatever the
// lines before it were: annotations (checked, never measured), signs, '%'
// lines, empty lines, a '-' before a command that takes none, and any
// character that is no command.
bool stateless(char ch, int minus)
{
    if (minus && !takesminus(ch))
        return true;
    switch (ch) {
    case 'c': case 'p': case 'm': case '%': case '\n': case '\0':
        return true;
    case '$': case '\\': case 'n': case 'k': case 'a': case 'b': case 'B': case 's':
    case 'x': case 'y': case 'X': case 'Y': case 'g': case 't':
        return false;
    default:
        return linedir(ch) < 0;   // not a command: a syntax error
    }
}

}  // namespace

// What of a line the first pass can know without its state (see Ahline).
// The line is whole, without NUL bytes.  Only work that scale would do the
// same way from any state is done here: a stateless command through scale
// itself on a scratch state that it leaves as it was, a line command's
// decimal length through the scan scline makes of it, a box's decimal sizes
// through boxop.
void prescan(std::string_view line, Ahline& al, State& scratch)
{
    al.kind = AHFULL;
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    al.minus = static_cast<std::int8_t>(minus);
    al.cpos = static_cast<std::uint16_t>(i);
    char ch = at(line, i);
    if (stateless(ch, minus)) {
        // No handler of these reads or writes the tables, the points or the
        // parameters, nor prints anything.
        int err = 0;
        scale(line, scratch.lab, scratch.len, scratch.dir, scratch.par, scratch.pt, scratch.ext, err);
        al.kind = AHDONE;
        al.err = err;
        return;
    }
    const Lengths& none = scratch.len;   // no reference is read: the operands have no '$'
    if (ch == 'b' || ch == 'B') {
        if (line.find('$') != std::string_view::npos)
            return;
        Boxgeom bg;
        int err = 0;
        boxop(i, line, 0, minus, none, bg, err);
        al.kind = AHBOX;
        al.err = err;
        al.length = err == 0 ? bg.w : 0;
        al.height = err == 0 ? bg.h : 0;
        return;
    }
    int ld = linedir(ch);
    if (ld < 0)
        return;
    // As scline scans it: an optional '!', the '(' and a decimal length (a
    // label or a length variable needs the tables).
    std::size_t j = skipbl(line, i + 1);
    if (at(line, j) == '!')
        j = skipbl(line, j + 1);
    al.ld = static_cast<std::int8_t>(ld);
    if (at(line, j) != '(') {
        al.kind = AHMOVE;
        al.err = 1;
        return;
    }
    if (!numstart(at(line, skipbl(line, j + 1))))
        return;   // a label
    if (line.find('$') != std::string_view::npos) {
        std::string_view name;
        bool neg = false;
        if (srlref(j, line, name, neg)) {
            al.kind = AHREF;
            al.name = static_cast<std::uint16_t>(name.data() - line.data());
            al.namelen = static_cast<std::uint8_t>(name.size());
            al.neg = neg;
        }
        return;
    }
    std::string buf;
    int comma = 0, err = 0;
    double length = srlval(j, line, buf, comma, err, ')', none);
    al.kind = AHMOVE;
    al.err = err;
    al.length = err == 0 ? length : 0;
}
