#include "quillard.h"

namespace {

// Reads a name from i up to the closing double quote, blanks dropped, and
// leaves i after that quote.  End of the line first is error 1, a 31st
// character error 9.
bool texname(std::string_view line, std::size_t& i, std::string& name, int& errcode)
{
    name.clear();
    for (;; ++i) {
        char ch = at(line, i);
        if (ch == '"')
            break;
        if (ch == '\n' || ch == '\0') {
            errcode = 1;
            return false;
        }
        if (isblank_(ch))
            continue;
        if (name.size() == MAXNAME) {
            errcode = 9;
            return false;
        }
        name += ch;
    }
    ++i;
    return true;
}

}  // namespace

// Second pass of a '%' line: the rest of the line is LaTeX text, written with
// the current point, label coordinates and lengths substituted for '"x', '"y',
// '"&', '"*name"', '"/name"', '"@name"', '"$name"' and '"-$name"'.  A "%%"
// line is written from its second '%' on, unchanged, as a LaTeX comment.
void texcom(std::size_t pos, std::string_view line, std::string& outbuf, double curx,
            double cury, const Labels& lab, const Lengths& len, std::string& workbuf,
            int& errcode)
{
    std::size_t mark = outbuf.size();   // where this line's LaTeX starts
    std::size_t i = pos + 1;
    while (isblank_(at(line, i)))
        workbuf += line[i++];
    if (at(line, i) == '%') {
        outbuf.append(line.substr(i));
        if (outbuf.back() != '\n')
            outbuf += '\n';   // a last line without newline still ends its line
        return;
    }
    std::string name;
    // The end of the text: the newline, or the end of a last line without one.
    std::size_t end = line.find('\n', i);
    if (end == std::string_view::npos)
        end = line.size();
    while (i < end) {
        char ch = line[i];
        char sel = at(line, i + 1);
        if (ch != '"') {
            // The text up to the next double quote goes as it is.
            std::size_t q = line.find('"', i);
            std::size_t stop = q < end ? q : end;
            outbuf.append(line.data() + i, stop - i);
            i = stop;
        } else if (sel == 'x' || sel == 'y' || sel == '&') {
            if (sel != 'y')
                fmtnum(curx, outbuf);
            if (sel == '&')
                outbuf += ',';
            if (sel != 'x')
                fmtnum(cury, outbuf);
            i += 2;
        } else if (sel == '*' || sel == '/' || sel == '@') {
            i += 2;
            if (!texname(line, i, name, errcode)) {
                outbuf.resize(mark);   // never half a line of LaTeX
                outbuf += '\n';
                return;
            }
            int slot = lookup(lab, name, errcode);
            if (slot < 0)
                return;
            auto s = static_cast<std::size_t>(slot);
            if (sel != '/')
                fmtnum(lab.labx[s], outbuf);
            if (sel == '@')
                outbuf += ',';
            if (sel != '*')
                fmtnum(lab.laby[s], outbuf);
        } else if (sel == '$' || (sel == '-' && at(line, i + 2) == '$')) {
            bool neg = sel == '-';
            i += neg ? 3 : 2;
            if (!texname(line, i, name, errcode)) {
                outbuf.resize(mark);   // never half a line of LaTeX
                outbuf += '\n';
                return;
            }
            int slot = findlen(len, name);
            if (slot < 0) {
                undeflen(name);
                errcode = 7;
                return;
            }
            const std::string& val = len.lenval[static_cast<std::size_t>(slot)];
            if (!neg)
                outbuf += val;
            else if (!val.empty() && val[0] == '-')
                outbuf.append(val, 1);
            else
                outbuf += '-' + val;
        } else {
            outbuf += ch;
            ++i;
        }
    }
    outbuf += '\n';
}
