#include "quillard.h"

#include <cmath>
#include <cstdio>

namespace {

// A value as the message shows it: up to 12 significant digits, so that a
// tiny negative value does not read as 0.
std::string shown(double x)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", x == 0 ? 0.0 : x);
    return text;
}

const char* const WAY[4] = {"right", "up", "left", "down"};

// Where a label lies from the start of a line, along the line's axis.
std::string where(bool across, double label, double start)
{
    if (label == start)
        return across ? "at the same x as" : "at the same y as";
    if (across)
        return label > start ? "to the right of" : "to the left of";
    return label > start ? "above" : "below";
}

// Error 6: a line to a label that lies behind it, or so close ahead that
// the stops at circle nodes turn the line round.
std::string direction(std::string_view line, std::size_t i, int dir, int minus, const State& st)
{
    std::size_t j = skipbl(line, i + 1);
    bool dash = at(line, j) == '!';
    if (dash)
        j = skipbl(line, j + 1);
    std::string name;
    int err = 0;
    if (at(line, j) != '(')
        return {};
    srlab(j, line, name, err);
    int slot = findlab(st.lab, name);
    if (err != 0 || slot < 0)
        return {};
    bool across = dir == 0 || dir == 2;
    auto s = static_cast<std::size_t>(slot);
    double label = across ? st.lab.labx[s] : st.lab.laby[s];
    double start = across ? st.pt.lastx : st.pt.lasty;
    // The line runs from the current point to the label, or under '-' from
    // the label to the current point; a label level with the start is behind
    // only for a solid line to the left or down.
    bool wrong = label == start ? dir >= 2 && !dash
                                : (dir < 2) == (minus ? label > start : label < start);
    std::string way = WAY[dir];
    if (!wrong)
        return "the line runs " + way + " to label '" + name +
               "', but the circle nodes at its ends leave it no room";
    return "label '" + name + "' lies " + where(across, label, start) +
           " the current point, but the line runs " + way +
           (minus ? " from the label to it" : " to it");
}

// Error 2 of a line with a length: negative, or too short for the circle
// nodes it starts or ends at.
std::string linelen(std::string_view line, std::size_t i, int dir, int minus, const State& st)
{
    std::size_t j = skipbl(line, i + 1);
    if (at(line, j) == '!')
        j = skipbl(line, j + 1);
    if (at(line, j) != '(')
        return {};
    std::string text;
    int comma = 0, err = 0;
    srlen(j, line, text, comma, err, ')', st.len);
    if (err != 0)
        return {};
    double length = tonum(text);
    if (length < 0)
        return "line length " + shown(length) + " is out of range: it must be 0 or more";
    // The ends that lie at circle nodes, found as the line command finds them.
    const double a = st.par.a;
    const double x0 = st.pt.lastx, y0 = st.pt.lasty;
    const double sgn = minus ? -1.0 : 1.0;
    const double x1 = x0 + sgn * length * unitx(dir), y1 = y0 + sgn * length * unity(dir);
    bool at0 = false, at1 = false;
    for (int k = 0; k < st.lab.nlab; ++k) {
        auto s = static_cast<std::size_t>(k);
        if (st.lab.labattr[s] != 1)
            continue;
        double x = st.lab.labx[s], y = st.lab.laby[s];
        at0 = at0 || (std::fabs(x - x0) < a && std::fabs(y - y0) < a);
        at1 = at1 || (std::fabs(x - x1) < a && std::fabs(y - y1) < a);
    }
    int ends = (at0 ? 1 : 0) + (at1 ? 1 : 0);
    return "line length " + shown(length) + " is out of range: " +
           (ends == 2 ? "between two circle nodes" : "at a circle node") +
           " of radius " + shown(a) + " it must be at least " + shown(ends * a);
}

// Error 2 of a parameter command: the value it left, which must be positive.
std::string parval(std::string_view line, std::size_t i, const Params& par)
{
    char letter = at(line, skipbl(line, i + 1));
    double v = 0;
    switch (letter) {
    case 'a': v = par.a; break;
    case 'k': v = par.k; break;
    case 'd': v = par.d; break;
    case 's': v = par.s; break;
    case 'e': v = par.e; break;
    case 'i': v = par.i; break;
    case 'o': v = par.o; break;
    default: return {};
    }
    return std::string("parameter '") + letter + "' = " + shown(v) +
           " is out of range: it must be greater than 0";
}

}  // namespace

// Reads again the line that met the error, with the state it left: the
// lengths and labels it used, the parameters, and the start point of a line
// command, which the second pass keeps as the last point.
std::string reason(int errcode, std::string_view line, const State& st)
{
    // The limits, which the messages themselves do not give.
    switch (errcode) {
    case 3: return "a picture holds at most " + std::to_string(MAXLAB) + " labels";
    case 8: return "a picture holds at most " + std::to_string(MAXLEN) + " lengths";
    case 9: return "label names have at most " + std::to_string(MAXNAME) + " characters";
    case 10:
        return "numbers and length names have at most " + std::to_string(MAXNAME) + " characters";
    case 11: return "a line has at most " + std::to_string(MAXREAD - 2) + " characters";
    default: break;
    }
    if (errcode != 2 && errcode != 6)
        return {};
    int minus = 0;
    std::size_t i = cmdpos(line, minus);
    char ch = at(line, i);
    int dir = linedir(ch);
    if (errcode == 6)
        return dir >= 0 ? direction(line, i, dir, minus, st) : std::string();
    if (dir >= 0)
        return linelen(line, i, dir, minus, st);
    if (ch == '\\')
        return parval(line, i, st.par);
    int err = 0;
    if (ch == 'b' || ch == 'B') {
        Boxgeom bg;
        if (!boxop(i, line, st.len, bg, err))
            return {};
        std::string sizes;
        if (bg.w < 0)
            sizes = "width " + shown(bg.w);
        if (bg.h < 0)
            sizes += (sizes.empty() ? "height " : " and height ") + shown(bg.h);
        if (sizes.empty())
            return {};
        return "box " + sizes + (bg.w < 0 && bg.h < 0 ? " are" : " is") +
               " out of range: a box's width and height must be 0 or more";
    }
    if (ch == 's') {
        double gap = 0;
        if (!sampop(i, line, st.par.s, st.len, gap, err))
            return {};
        return "sampler gap " + shown(gap) + " is out of range: it must be greater than 0";
    }
    return {};
}
