// An observation of the two passes: the translation done once more, line by
// line, through scale() and interpret(), with the driver's work between the
// passes made here, so that the current point and the direction after every
// line of each pass can be compared.  The picture assembled on the way must
// equal the one translate() writes; only then are the points those of the
// real run.  Used by the property test and by the fuzz target.
#ifndef QUILLARD_TWOPASS_H
#define QUILLARD_TWOPASS_H

#include "quillard.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twopass {

struct Step {
    std::string line;       // the line as read
    char cmd = '\0';        // its command character
    int err1 = 0, err2 = 0; // the error code of each pass (a warning counts as 0)
    double x1 = 0, y1 = 0;  // the current point after the line, first pass
    double x2 = 0, y2 = 0;  // and second pass
    int dir1 = 0, dir2 = 0;
    std::string out;        // what the second pass wrote for the line
};

struct Observation {
    std::vector<Step> steps;
    Extents ext;
    Params margins{};       // t, b, l and r as the first pass left them
    std::string picture;    // header, every line's output, closing line
    bool clean = true;      // no line had an error in either pass
};

inline char command(std::string_view line)
{
    std::size_t i = skipbl(line, 0);
    if (at(line, i) == '-')
        i = skipbl(line, i + 1);
    return at(line, i);
}

// Runs both passes line by line, as the driver does without option -h.
inline Observation observe(std::string_view source, std::string_view conf, const Options& opt)
{
    Sink saved = std::move(term);
    term = Sink{};
    builtin();
    Observation ob;
    if (!conf.empty()) {
        Reader cin;
        cin.mem = conf;
        if (applyconf(cin) != 0)
            ob.clean = false;
    }
    State st;
    st.par = defaults();

    Reader in;
    in.mem = source;
    std::string line;
    while (rdline(in, line)) {
        Step s;
        s.line = line;
        s.cmd = command(line);
        if (line.size() >= MAXREAD)
            s.err1 = 11;
        else if (line.find('\0') != std::string::npos)
            s.err1 = 1;
        else
            scale(line, st.lab, st.len, st.dir, st.par, st.pt, st.ext, s.err1);
        if (s.err1 == -1)
            s.err1 = 0;
        s.x1 = st.pt.curx;
        s.y1 = st.pt.cury;
        s.dir1 = st.dir;
        ob.steps.push_back(std::move(s));
    }
    ob.ext = st.ext;
    ob.margins = st.par;

    // Between the passes.
    between(st);
    stfile(st.ext, st.par.t, st.par.b, st.par.l, st.par.r, ob.picture);

    // Second pass.
    std::string workbuf, outbuf;
    for (auto& s : ob.steps) {
        int drawn = 0;
        if (s.line.size() >= MAXREAD) {
            s.err2 = 11;
        } else if (s.line.find('\0') != std::string::npos) {
            s.err2 = 1;
        } else {
            outbuf.clear();
            interpret(s.line, workbuf, outbuf, st.lab, st.dir, st.par, st.pt, st.len, drawn,
                      opt.boxopt, opt.sopt, s.err2);
            if (s.err2 == 1 || s.err2 == 4 || s.err2 == 7)
                outbuf = "\n";
            s.out = workbuf + outbuf;
        }
        if (s.err2 == -1)
            s.err2 = 0;
        s.x2 = st.pt.curx;
        s.y2 = st.pt.cury;
        s.dir2 = st.dir;
        ob.picture += s.out;
        if (s.err1 != 0 || s.err2 != 0)
            ob.clean = false;
    }
    ob.picture += "\\end{picture}\n";
    term = std::move(saved);
    builtin();
    return ob;
}

// For a clean run: after every line the second-pass point is the first-pass
// one plus the shift, the direction is the same, and the point lies in the
// measured rectangle.  The tolerance is tol plus rel times the magnitudes
// involved.  Returns "" or what went wrong.
inline std::string shifted(const Observation& ob, double tol, double rel = 0)
{
    const double sx = -ob.ext.xmin, sy = -ob.ext.ymin;
    const double w = ob.ext.xmax - ob.ext.xmin, h = ob.ext.ymax - ob.ext.ymin;
    for (std::size_t k = 0; k < ob.steps.size(); ++k) {
        const Step& s = ob.steps[k];
        const double tx = tol + rel * (std::fabs(s.x1) + std::fabs(sx));
        const double ty = tol + rel * (std::fabs(s.y1) + std::fabs(sy));
        char buf[400];
        const char* what = nullptr;
        if (!(std::fabs(s.x2 - (s.x1 + sx)) <= tx) || !(std::fabs(s.y2 - (s.y1 + sy)) <= ty))
            what = "second-pass point is not the first-pass point plus the shift";
        else if (s.dir2 != s.dir1)
            what = "the passes disagree on the direction";
        else if (!(s.x2 >= -tx && s.x2 <= w + tx && s.y2 >= -ty && s.y2 <= h + ty))
            what = "current point outside the measured rectangle";
        if (what != nullptr) {
            std::snprintf(buf, sizeof buf,
                          ": line %zu, first pass (%.17g,%.17g) dir %d, second (%.17g,%.17g) dir "
                          "%d, shift (%.17g,%.17g)",
                          k + 1, s.x1, s.y1, s.dir1, s.x2, s.y2, s.dir2, sx, sy);
            return what + std::string(buf);
        }
    }
    return {};
}

// ------------------------------------------------------ the written items

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Reads "\begin{picture}(W,H)(X0,Y0)".
inline bool header(const std::string& picture, Box& box)
{
    double w, h, x0, y0;
    if (std::sscanf(picture.c_str(), "\\begin{picture}(%lf,%lf)(%lf,%lf)", &w, &h, &x0, &y0) != 4)
        return false;
    box = {x0, y0, x0 + w, y0 + h};
    return true;
}

struct Cursor {
    const std::string& s;
    std::size_t i;
    bool ok = true;

    double num()
    {
        const char* start = s.c_str() + i;
        char* end = nullptr;
        double v = std::strtod(start, &end);
        if (end == start) {
            // A length written as typed may be a lone '.' or '-': zero.
            while (i < s.size() && (s[i] == '.' || s[i] == '-'))
                ++i;
            return 0;
        }
        i += static_cast<std::size_t>(end - start);
        return v;
    }
    bool lit(std::string_view t)
    {
        ok = s.compare(i, t.size(), t) == 0;
        if (ok)
            i += t.size();
        return ok;
    }
};

// The extent of '\line(sx,sy){len}': len is the horizontal extent unless the
// line is vertical.
inline void span(double sx, double sy, double len, double& dx, double& dy)
{
    if (sx == 0) {
        dx = 0;
        dy = sy > 0 ? len : -len;
    } else {
        dx = sx > 0 ? len : -len;
        dy = len * sy / std::fabs(sx);
    }
}

// Every item that the first pass measures, read back from one line's output,
// must lie inside the header's box, within the rounding of the number
// format: half a unit of the fifth decimal for each number involved (rel
// adds a relative part for numbers beyond 12 significant digits).  Text
// items (annotations, marks, '%' lines) are not measured.  Returns "" or the
// first item outside.
//
// A dashed segment shorter than a dash and the room of its arrowhead gets a
// negative count of dashes: its lead-in then reaches past the head and its
// closing piece starts behind the tail, by the rule of the dashed form, so
// such a line is not held to the measured extent.
inline std::string inside(const Step& s, const Box& box, double rel = 0)
{
    const char cmd = s.cmd;
    if (cmd == '%' || cmd == 'c' || cmd == 'p' || cmd == 'm')
        return {};
    const std::string& out = s.out;
    const double mag = std::fabs(box.x0) + std::fabs(box.x1) + std::fabs(box.y0) + std::fabs(box.y1);
    auto check = [&](double x, double y, double tol, std::size_t at) -> std::string {
        tol += rel * (mag + std::fabs(x) + std::fabs(y));
        if (x >= box.x0 - tol && x <= box.x1 + tol && y >= box.y0 - tol && y <= box.y1 + tol)
            return {};
        char buf[400];
        std::snprintf(buf, sizeof buf, ": (%.12g,%.12g) outside [%.12g,%.12g]x[%.12g,%.12g]", x,
                      y, box.x0, box.x1, box.y0, box.y1);
        return out.substr(at, out.find('}', at) - at) + buf;
    };
    if (linedir(cmd) >= 0) {
        // A dashed segment with a negative count (see above).
        for (std::size_t at = out.find("\\multiput("); at != std::string::npos;
             at = out.find("\\multiput(", at + 1)) {
            std::size_t brace = out.find("){", at);
            if (brace != std::string::npos &&
                out.compare(brace, 3, "){-") == 0)
                return {};
        }
    }
    const double r = 0.000005;
    for (std::size_t at = 0; at < out.size(); ++at) {
        const bool multi = out.compare(at, 10, "\\multiput(") == 0;
        if (!multi && out.compare(at, 5, "\\put(") != 0)
            continue;
        Cursor c{out, at + (multi ? 10 : 5)};
        const double x = c.num();
        c.lit(",");
        const double y = c.num();
        c.lit(")");
        double ddx = 0, ddy = 0, n = 1;
        if (multi) {
            c.lit("(");
            ddx = c.num();
            c.lit(",");
            ddy = c.num();
            c.lit("){");
            n = c.num();
            c.lit("}");
        }
        if (!c.lit("{"))
            return "unreadable item: " + out.substr(at, 60);
        if (n < 1)
            continue;   // a \multiput of no copies draws nothing
        // The last copy of a \multiput carries the rounding of its offset
        // n - 1 times.
        const double far = n - 1;
        const double tol = 2 * r + far * r + 1e-9;
        std::string bad;
        if (c.lit("\\line(") || c.lit("\\vector(")) {
            const double sx = c.num();
            c.lit(",");
            const double sy = c.num();
            c.lit("){");
            const double len = c.num();
            double dx, dy;
            span(sx, sy, len, dx, dy);
            // The copies lie on a straight row: its two ends decide.
            for (double k : {0.0, far}) {
                const double px = x + k * ddx, py = y + k * ddy;
                if (bad.empty())
                    bad = check(px, py, tol, at);
                if (bad.empty())
                    bad = check(px + dx, py + dy, tol + 3 * r, at);
            }
        } else if (c.lit("\\framebox(") || (c.lit("\\dashbox{") && (c.num(), c.lit("}(")))) {
            const double w = c.num();
            c.lit(",");
            const double h = c.num();
            bad = check(x, y, tol, at);
            if (bad.empty())
                bad = check(x + w, y + h, tol + r, at);
            if (bad.empty())
                return {};   // the rest of a box line is its text
        } else if (c.lit("\\circle{")) {
            const double rad = c.num() / 2;
            bad = check(x - rad, y - rad, tol + r, at);
            if (bad.empty())
                bad = check(x + rad, y + rad, tol + r, at);
        } else if (c.lit("\\circle*{")) {
            bad = check(x, y, tol, at);   // the dot itself is not measured
        } else {
            return "unexpected item: " + out.substr(at, 60);
        }
        if (!bad.empty())
            return bad;
    }
    return {};
}

// inside() for every line of a clean run whose margins are not negative.
inline std::string inside(const Observation& ob, double rel = 0)
{
    Box box;
    if (!header(ob.picture, box))
        return "unreadable header: " + ob.picture.substr(0, ob.picture.find('\n'));
    for (std::size_t k = 0; k < ob.steps.size(); ++k) {
        std::string bad = inside(ob.steps[k], box, rel);
        if (!bad.empty())
            return "line " + std::to_string(k + 1) + ": " + bad;
    }
    return {};
}

}  // namespace twopass

#endif
