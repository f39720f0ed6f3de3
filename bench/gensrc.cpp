// gensrc: writes a deterministic, error-free Quillard source of N lines that
// looks like a long block diagram, for the benchmarks.
//
//   quillard_gensrc N [SEED] [OUTPUT]
//
// The same N and SEED always give the same bytes, on any platform: the
// generator uses its own random numbers (splitmix64), never the standard
// distributions, whose results differ between libraries.
//
// The source mixes every command kind in the proportions a block diagram
// has: lines and arrows in all four directions (plain lengths, length
// variables, labels as targets; dashed forms; reversed forms with '-'),
// framed and dashed boxes, circle nodes, knots and plain labels, text
// annotations, sample strokes, plus and minus marks, moves of the current
// and of the reference point, jumps, turns, length definitions, parameter
// lines, LaTeX text lines with substitutions, comments and empty lines.
//
// It keeps the drawing valid without running the translator: it follows the
// current point and the direction exactly as the translator does, defines at
// most 200 labels and 200 lengths (each once, spread over the whole file so
// that every part of it defines some), refers only to names defined above,
// keeps every line length at least 0.5 (more than the two stops of circle
// nodes, since the node radius stays at most 0.2), draws to a label only
// when the label lies at least 0.5 ahead, and keeps coordinates within
// +-1000 by steering back towards the origin.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int MAXLABELS = 200;
constexpr int MAXLENGTHS = 200;
constexpr double BOUND = 1000.0;   // no coordinate leaves [-BOUND, BOUND]
constexpr double STEER = 900.0;    // beyond this, moves head back
constexpr double MINLEN = 0.5;     // shortest segment drawn

struct Rng {
    std::uint64_t s;
    std::uint64_t next()
    {
        std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform integer in [0, n).
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
};

struct Label {
    std::string name;
    double x, y;
};

struct Length {
    std::string name;
    std::string text;
    double v;
};

const char* const dirword[4] = {"r", "u", "l", "d"};
const char lower[4] = {'r', 'u', 'l', 'd'};
const char upper[4] = {'R', 'U', 'L', 'D'};

double ux(int d) { return d == 0 ? 1.0 : d == 2 ? -1.0 : 0.0; }
double uy(int d) { return d == 1 ? 1.0 : d == 3 ? -1.0 : 0.0; }

// Decimal text with two decimals and no trailing zeros: 1.5, 0.25, 3.
std::string dec(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

class Gen {
public:
    Gen(long nlines, std::uint64_t seed) : n(nlines), rng{seed}
    {
        // Label and length definitions are spread over the whole file, so
        // that a large file has them everywhere, not only near its top.
        double spread = static_cast<double>(n) / 1.1;
        plab = std::min(0.06, MAXLABELS / spread);
        plen = std::min(0.03, MAXLENGTHS / spread);
    }

    void run(std::FILE* fp)
    {
        out.reserve(1 << 20);
        prologue();
        while (lines < n) {
            oneline();
            if (out.size() >= (1u << 20)) {
                std::fwrite(out.data(), 1, out.size(), fp);
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), fp);
    }

private:
    long n;
    long lines = 0;
    Rng rng;
    std::string out;
    double plab, plen;
    double x = 0, y = 0;   // the current point
    int dir = 0;
    double a = 0.15;       // node radius in force
    std::vector<Label> labels;
    std::vector<Length> lengths;
    int nsig = 0;          // numbering of names and texts

    void emit(const std::string& s)
    {
        if (lines >= n)
            return;
        out += s;
        out += '\n';
        ++lines;
    }

    std::string indent()
    {
        int k = rng.below(20);
        return k == 0 ? "\t" : k == 1 ? "  " : k == 2 ? "    " : "";
    }

    std::string tail()
    {
        static const char* const notes[] = {"feedback path", "to the summing junction",
                                            "plant input", "see fig. 3", "tap"};
        if (rng.below(12) != 0)
            return "";
        return std::string("   %% ") + notes[rng.below(5)];
    }

    double randlen() { return MINLEN + 0.25 * rng.below(15); }   // 0.5 .. 4

    // Picks a direction to move in: random, but towards the origin when the
    // point is far out on an axis.
    int pickdir()
    {
        int d = rng.below(4);
        if (x > STEER && d == 0) d = 2;
        if (x < -STEER && d == 2) d = 0;
        if (y > STEER && d == 1) d = 3;
        if (y < -STEER && d == 3) d = 1;
        return d;
    }

    // True when moving by dist in direction d stays in bounds.
    bool inside(int d, double dist) const
    {
        double nx = x + ux(d) * dist, ny = y + uy(d) * dist;
        return std::fabs(nx) <= STEER && std::fabs(ny) <= STEER;
    }

    std::string newname(const char* stem)
    {
        return std::string(stem) + std::to_string(++nsig);
    }

    const Length* somelength()
    {
        if (lengths.empty())
            return nullptr;
        return &lengths[static_cast<std::size_t>(rng.below(static_cast<int>(lengths.size())))];
    }

    const Label* somelabel()
    {
        if (labels.empty())
            return nullptr;
        return &labels[static_cast<std::size_t>(rng.below(static_cast<int>(labels.size())))];
    }

    void prologue()
    {
        emit("%% Block diagram for the benchmarks: generated, deterministic.");
        emit("\\l = 0.3");
        emit("\\r = 0.3");
        emit("\\t = 0.3");
        emit("\\b = 0.3");
        deflength();
        deflength();
        deflabel('n');
    }

    void deflength()
    {
        if (static_cast<int>(lengths.size()) >= MAXLENGTHS)
            return;
        static const char* const stems[] = {"w", "h", "gap", "bw", "len", "step"};
        std::string name = newname(stems[rng.below(6)]);
        double v = randlen();
        std::string text = dec(v);
        lengths.push_back({name, text, v});
        std::string sep = rng.below(2) ? " = " : "=";
        emit(indent() + "$" + name + sep + text + tail());
    }

    void deflabel(char letter)
    {
        if (static_cast<int>(labels.size()) >= MAXLABELS)
            return;
        static const char* const stems[] = {"S", "K", "N", "out", "in", "J"};
        std::string name = newname(stems[rng.below(6)]);
        labels.push_back({name, x, y});
        emit(indent() + letter + " (" + name + ")" + tail());
    }

    // A line or arrow: plain length, length variable or label as its target.
    void linecmd()
    {
        bool arrow = rng.chance(0.5);
        bool dashed = rng.chance(0.08);
        bool minus = rng.chance(0.05);
        int kind = rng.below(100);   // < 60 plain, < 85 variable, else label
        std::string operand;
        int d = pickdir();   // the direction the current point moves in
        double dist = 0;
        if (kind >= 85 && !labels.empty()) {
            // A label at least MINLEN ahead in some direction.
            for (int tries = 0; tries < 8 && operand.empty(); ++tries) {
                const Label* lb = somelabel();
                double dx = lb->x - x, dy = lb->y - y;
                if (std::fabs(dx) >= MINLEN && (tries % 2 == 0 || std::fabs(dy) < MINLEN)) {
                    d = dx > 0 ? 0 : 2;
                    x = lb->x;
                    operand = lb->name;
                } else if (std::fabs(dy) >= MINLEN) {
                    d = dy > 0 ? 1 : 3;
                    y = lb->y;
                    operand = lb->name;
                }
            }
        }
        if (operand.empty()) {
            const Length* ln = kind >= 60 ? somelength() : nullptr;
            if (ln != nullptr) {
                dist = ln->v;
                operand = "$" + ln->name;
            } else {
                dist = randlen();
                operand = dec(dist);
            }
            if (!inside(d, dist))
                d = (d + 2) % 4;
            x += ux(d) * dist;
            y += uy(d) * dist;
        }
        // With '-' the letter names the opposite of the way the point moves.
        int letterdir = minus ? (d + 2) % 4 : d;
        dir = letterdir;
        std::string s = indent();
        if (minus)
            s += rng.below(2) ? "-" : "- ";
        s += arrow ? upper[letterdir] : lower[letterdir];
        if (dashed)
            s += rng.below(2) ? "!" : " !";
        s += rng.below(3) ? " (" : "(";
        s += operand;
        s += ")";
        emit(s + tail());
    }

    void boxcmd()
    {
        bool dashed = rng.chance(0.2);
        double w = 0.8 + 0.2 * rng.below(8);
        double h = 0.4 + 0.2 * rng.below(4);
        std::string wt = dec(w), ht = dec(h);
        if (rng.chance(0.3)) {
            if (const Length* ln = somelength()) {
                w = ln->v;
                wt = "$" + ln->name;
            }
        }
        double step = (dir == 0 || dir == 2) ? w : h;
        bool minus = rng.chance(0.05) || !inside(dir, step);
        int d = minus ? (dir + 2) % 4 : dir;
        x += ux(d) * step;
        y += uy(d) * step;
        static const char* const texts[] = {"$G_{%d}(s)$", "Plant %d", "$\\frac{1}{s+%d}$",
                                            "Filter %d", "$K_{%d}$", "Delay %d"};
        char txt[64];
        std::snprintf(txt, sizeof txt, texts[rng.below(6)], ++nsig % 100);
        std::string s = indent();
        if (minus)
            s += "-";
        s += dashed ? "B" : "b";
        s += " (" + wt + ", " + ht + ", \"" + txt + "\")";
        emit(s + tail());
    }

    void annotation()
    {
        static const char* const texts[] = {"$u_{%d}$", "$e_{%d}$", "$y_{%d}$", "$x_{%d}(t)$",
                                            "signal %d", "$-$", "$+$"};
        char txt[64];
        std::snprintf(txt, sizeof txt, texts[rng.below(7)], ++nsig % 50);
        emit(indent() + "c (\"" + txt + "\")" + tail());
    }

    void sampler()
    {
        bool empty = rng.chance(0.3);
        double e = empty ? sdef : 0.3 + 0.1 * rng.below(6);
        bool minus = rng.chance(0.1) || !inside(dir, e);
        int d = minus ? (dir + 2) % 4 : dir;
        x += ux(d) * e;
        y += uy(d) * e;
        emit(indent() + (minus ? "-" : "") + "s (" + (empty ? "" : dec(e)) + ")" + tail());
    }

    void mark()
    {
        std::string s = indent();
        if (rng.chance(0.3))
            s += "-";
        s += rng.below(2) ? "p" : "m";
        emit(s + tail());
    }

    void move()
    {
        bool ref = rng.chance(0.3);   // X, Y: the reference point alone
        bool alongx = rng.below(2) == 0;
        std::string s = indent();
        s += ref ? (alongx ? "X" : "Y") : (alongx ? "x" : "y");
        const Label* lb = rng.chance(0.25) ? somelabel() : nullptr;
        if (lb != nullptr) {
            s += " (" + lb->name + ")";
            if (!ref) {
                if (alongx)
                    x = lb->x;
                else
                    y = lb->y;
            }
        } else {
            double d = ref ? 0.1 * (1 + rng.below(5)) : randlen();
            bool neg = rng.below(2) == 0;
            double& c = alongx ? x : y;
            if (!ref && std::fabs(c + (neg ? -d : d)) > STEER)
                neg = !neg;
            const Length* ln = (!ref && rng.chance(0.3)) ? somelength() : nullptr;
            if (ln != nullptr) {
                d = ln->v;
                if (!ref && std::fabs(c + (neg ? -d : d)) > STEER)
                    neg = !neg;
                s += std::string(" (") + (neg ? "-$" : "$") + ln->name + ")";
            } else {
                s += std::string(" (") + (neg ? "-" : "") + dec(d) + ")";
            }
            if (!ref)
                c += neg ? -d : d;
        }
        emit(s + tail());
    }

    void jump()
    {
        const Label* lb = somelabel();
        if (lb == nullptr)
            return;
        x = lb->x;
        y = lb->y;
        emit(indent() + "g (" + lb->name + ")" + tail());
    }

    void turn()
    {
        dir = pickdir();
        emit(indent() + "t (" + dirword[dir] + ")" + tail());
    }

    double sdef = 0.6;   // parameter s in force

    void parameter()
    {
        std::string s = indent();
        switch (rng.below(12)) {
        case 0: s += "\\c = " + dec(0.1 + 0.05 * rng.below(4)); break;
        case 1: s += "-\\c"; break;
        case 2: s += "\\c"; break;
        case 3:
            a = 0.1 + 0.05 * rng.below(3);   // at most 0.2
            s += "\\a = " + dec(a);
            break;
        case 4: a = 0.15; s += "\\a"; break;
        case 5:
            sdef = 0.4 + 0.1 * rng.below(4);
            s += "\\s = " + dec(sdef);
            break;
        case 6: s += "\\k = " + dec(0.06 + 0.02 * rng.below(3)); break;
        case 7: s += "\\i = " + dec(0.05 + 0.05 * rng.below(2)); break;
        case 8: s += "\\o"; break;
        case 9: s += "\\p = 0.25"; break;
        case 10: s += "\\v = 0.15"; break;
        default:
            if (const Length* ln = somelength())
                s += "\\e = $" + ln->name;
            else
                s += "\\e = 0.12";
            break;
        }
        emit(s + tail());
    }

    void texline()
    {
        std::string s = indent();
        const Label* lb = somelabel();
        const Length* ln = somelength();
        switch (rng.below(6)) {
        case 0: s += "%\\put(\"&){\\circle{0.2}}"; break;
        case 1:
            if (lb != nullptr)
                s += "%\\put(\"@" + lb->name + "\"){\\makebox(0,0)[l]{$" + lb->name + "$}}";
            else
                s += "%\\put(\"x,\"y){\\circle*{0.1}}";
            break;
        case 2:
            if (lb != nullptr && ln != nullptr)
                s += "%\\put(\"x,\"/" + lb->name + "\"){\\line(1,0){\"$" + ln->name + "\"}}";
            else
                s += "%\\put(\"&){\\line(0,1){0.3}}";
            break;
        case 3:
            if (lb != nullptr && ln != nullptr)
                s += "%\\put(\"*" + lb->name + "\",\"y){\\line(-1,0){\"-$" + ln->name + "\"}}";
            else
                s += "%\\thicklines";
            break;
        case 4: s += "%% stage " + std::to_string(++nsig); break;
        default: s += rng.below(2) ? "%\\thinlines" : "%\\thicklines"; break;
        }
        emit(s);
    }

    void oneline()
    {
        if (rng.chance(plab)) {
            int k = rng.below(3);
            deflabel(k == 0 ? 'a' : k == 1 ? 'k' : 'n');
            return;
        }
        if (rng.chance(plen)) {
            deflength();
            return;
        }
        int r = rng.below(1000);
        if (r < 380) linecmd();
        else if (r < 470) boxcmd();
        else if (r < 580) annotation();
        else if (r < 610) sampler();
        else if (r < 650) mark();
        else if (r < 720) move();
        else if (r < 780) jump();
        else if (r < 810) turn();
        else if (r < 835) parameter();
        else if (r < 885) texline();
        else emit(rng.below(4) ? "" : indent());
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: quillard_gensrc N [SEED] [OUTPUT]\n");
        return 2;
    }
    char* end = nullptr;
    long n = std::strtol(argv[1], &end, 10);
    if (*end != '\0' || n < 0) {
        std::fprintf(stderr, "quillard_gensrc: bad line count '%s'\n", argv[1]);
        return 2;
    }
    std::uint64_t seed = argc >= 3 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::FILE* fp = stdout;
    if (argc == 4) {
        fp = std::fopen(argv[3], "wb");
        if (fp == nullptr) {
            std::perror(argv[3]);
            return 1;
        }
    }
    Gen gen(n, seed);
    gen.run(fp);
    if (std::fflush(fp) != 0 || (fp != stdout && std::fclose(fp) != 0)) {
        std::perror("quillard_gensrc");
        return 1;
    }
    return 0;
}
