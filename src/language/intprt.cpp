#include "quillard.h"

// Second-pass dispatcher: leaves the line's indentation in workbuf, appends
// its LaTeX to outbuf, keeps the last point and the drawn flag.
void interpret(std::string_view line, std::string& workbuf, std::string& outbuf,
               const Labels& lab, int& dir, Params& par, Points& pt, Lengths& len,
               int& drawn, int boxopt, int sopt, int& errcode)
{
    errcode = 0;
    Shape sh;   // the operands of a line of a common shape, read in one go
    bool shaped = shape(line, lab, len, sh);
    double lastx = pt.lastx, lasty = pt.lasty;   // as they stand on entry
    int minus = sh.minus;
    std::size_t i = sh.pos, indent = sh.indent;
    if (!shaped) {
        i = cmdpos(line, minus);
        indent = skipbl(line, 0);
    }
    if (indent > 0)
        workbuf.assign(line.data(), indent);
    else
        workbuf.clear();
    char ch = at(line, i);
    if (minus && !takesminus(ch)) {
        errcode = 1;
        return;
    }

    int ld = linedir(ch);
    if (ld >= 0) {
        pt.lastx = pt.curx;
        pt.lasty = pt.cury;
        drawn = 1;
        dir = ld;
        int arrow = ch >= 'A' && ch <= 'Z';   // 'R', 'U', 'L', 'D' end in an arrow
        if (shaped) {
            dseg(sh, arrow, outbuf, dir, lab, pt, par, errcode);
        } else {
            std::size_t j = skipbl(line, i + 1);
            int dash = at(line, j) == '!';
            dline(dash, arrow, dash ? j : j - 1, line, outbuf, dir, lab, pt, par, len, minus,
                  errcode);
        }
        return;
    }

    switch (ch) {
    case '\n':
        workbuf += '\n';
        break;
    case '\0':
        break;
    case '%':
        drawn = 1;
        texcom(i, line, outbuf, pt.curx, pt.cury, lab, len, workbuf, errcode);
        break;
    case '$':
        setlen(i, line, len, errcode);
        workbuf.clear();
        break;
    case '\\':
        param(i, line, par, len, 1, minus, errcode);
        workbuf.clear();
        break;
    case 'n':
        workbuf.clear();
        break;
    case 'k':
        knot(i, line, outbuf, pt, par.c, dir, par.k, errcode);
        break;
    case 'a':
        add(i, line, outbuf, dir, pt, par.c, par.a, errcode);
        break;
    case 'b': case 'B':
        pt.lastx = pt.curx;
        pt.lasty = pt.cury;
        drawn = 1;
        if (shaped)
            boxput(sh, ch == 'B', dir, pt, par.c, par.d, boxopt, outbuf, errcode);
        else
            box(i, line, outbuf, ch == 'B', dir, pt, par.c, par.d, len, minus, boxopt, errcode);
        break;
    case 'c':
        if (shaped)
            putnote(sh.contents, outbuf, par.c, dir, pt.refx, pt.refy);
        else
            wcomment(i, line, outbuf, par.c, dir, pt.refx, pt.refy, errcode);
        break;
    case 's':
        pt.lastx = pt.curx;
        pt.lasty = pt.cury;
        drawn = 1;
        if (shaped)
            sampdraw(sampgap(sh, par.s), outbuf, dir, pt, par.c, minus, sopt, errcode);
        else
            sample(i, line, outbuf, dir, par.s, pt, par.c, len, minus, sopt, errcode);
        break;
    case 'p': case 'm':
        if (minus)
            pm(ch == 'm', i, line, outbuf, dir, par.p, par.v, lastx, lasty, errcode);
        else
            pm(ch == 'm', i, line, outbuf, dir, par.p, par.v, pt.curx, pt.cury, errcode);
        break;
    case 'x': case 'y':
        pt.lastx = pt.curx;
        pt.lasty = pt.cury;
        if (shaped)
            shift(ch, sh.slot, sh.val[0], lab, pt);
        else
            move(i, line, ch, lab, pt, len, errcode);
        workbuf.clear();
        break;
    case 'X': case 'Y':
        if (shaped)
            shift(ch, sh.slot, sh.val[0], lab, pt);
        else
            subcmove(i, line, ch, lab, pt, len, errcode);
        workbuf.clear();
        break;
    case 'g':
        pt.lastx = pt.curx;
        pt.lasty = pt.cury;
        if (shaped) {
            pt.curx = lab.labx[static_cast<std::size_t>(sh.slot)];
            pt.cury = lab.laby[static_cast<std::size_t>(sh.slot)];
            refleft(pt, dir, par.c);
        } else {
            go(i, line, lab, pt, dir, par.c, errcode);
        }
        workbuf.clear();
        break;
    case 't':
        if (shaped)
            dir = sh.turn;
        else
            scdir(i, line, dir, errcode);
        workbuf.clear();
        break;
    default:
        errcode = 1;
        break;
    }
}
