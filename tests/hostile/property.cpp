// Property test of the two passes over randomly generated correct sources,
// with and without a configuration text and with random options.
//
// Each source is translated by translate() and observed line by line
// through scale() and interpret() (twopass.h); the picture so assembled must
// be the one translate() wrote, so the points observed are those of the
// real run.  Then:
//   - every line is clean in both passes;
//   - after every line the second-pass current point is the first-pass one
//     plus the origin shift (within 1e-9), the direction is the same, and the
//     point lies in the measured rectangle;
//   - every item the first pass measures (lines and arrows, dashed ones
//     piece by piece, boxes, sampler strokes in both forms, node circles,
//     the centres of knot dots), read back from the written picture, lies
//     inside the box of the picture header, within the rounding of the
//     number format.
// The sources are drawn from fixed seeds, so a failure is reproducible; its
// seed and source are printed.
#include "quillard.h"
#include "twopass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int SOURCES = 8000;
constexpr std::uint64_t FIRST_SEED = 0x5eed0001;

// --------------------------------------------------------------- sources

class Generator {
public:
    // Starts from the defaults in force.
    explicit Generator(std::uint64_t seed) : rng_(seed), par_(defaults()) {}

    // A correct source of 1 to 40 lines, and the options to run it with.
    std::string source(Options& opt)
    {
        opt = Options{};
        opt.nopt = chance(0.5);
        opt.boxopt = pick(3);
        opt.sopt = chance(0.3);
        std::string src;
        int n = 1 + pick(40);
        for (int j = 0; j < n; ++j)
            src += line();
        return src;
    }

private:
    std::mt19937_64 rng_;
    // The first pass as far as the generator needs to follow it.
    Params par_{};
    double x_ = 0, y_ = 0;
    std::vector<std::string> labname_;
    std::vector<double> labx_, laby_;
    std::vector<std::string> lenname_;
    std::vector<std::string> lentext_;   // positive values
    int serial_ = 0;

    int pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

    // A decimal in [lo, hi] with up to three decimals, as a user types it.
    std::string number(double lo, double hi, double& v)
    {
        long a = std::lround(lo * 1000), b = std::lround(hi * 1000);
        long k = a + static_cast<long>(rng_() % static_cast<std::uint64_t>(b - a + 1));
        v = static_cast<double>(k) / 1000;
        char buf[40];
        switch (pick(4)) {
        case 0: std::snprintf(buf, sizeof buf, "%.3f", v); break;
        case 1: std::snprintf(buf, sizeof buf, "%g", v); break;
        case 2: std::snprintf(buf, sizeof buf, "%.4f", v); break;
        default: {
            // with blanks inside, which the scanner drops
            std::snprintf(buf, sizeof buf, "%g", v);
            std::string s = buf;
            if (s.size() > 1)
                s.insert(1 + static_cast<std::size_t>(pick(static_cast<int>(s.size()) - 1)), " ");
            return s;
        }
        }
        return buf;
    }

    std::string number(double lo, double hi)
    {
        double v;
        return number(lo, hi, v);
    }

    // A fresh name of up to 30 characters, with odd bytes in it.
    std::string freshname(char lead)
    {
        static const std::string odd = "_:;.!?*+/<>[]{}|~^&#@'`%\\\x7f\x80\xa0\xc3\xa9\xff\r";
        std::string s(1, lead);
        s += std::to_string(++serial_);
        int extra = pick(6);
        for (int j = 0; j < extra; ++j)
            s += odd[static_cast<std::size_t>(pick(static_cast<int>(odd.size())))];
        if (s.find("%%") != std::string::npos)
            s.erase(std::remove(s.begin(), s.end(), '%'), s.end());
        return s;
    }

    std::string indent()
    {
        static const char* const pads[] = {"", "", "", " ", "  ", "\t", " \t "};
        return pads[pick(7)];
    }

    std::string ending()
    {
        return chance(0.15) ? (chance(0.5) ? "  %% note\n" : "%%\n") : (chance(0.2) ? " \n" : "\n");
    }

    std::string text()
    {
        static const std::string chars = "ABCxyz 0123$^_{}()+-=%\\";
        std::string s;
        int n = pick(8);
        for (int j = 0; j < n; ++j)
            s += chars[static_cast<std::size_t>(pick(static_cast<int>(chars.size())))];
        return s;
    }

    // A positive length operand: a number or a length variable.
    std::string positive(double lo, double hi, double& v)
    {
        if (!lenname_.empty() && chance(0.2)) {
            std::size_t j = static_cast<std::size_t>(pick(static_cast<int>(lenname_.size())));
            v = std::atof(lentext_[j].c_str());
            if (v >= lo && v <= hi)
                return "$" + lenname_[j];
        }
        return number(lo, hi, v);
    }

    int label() { return pick(static_cast<int>(labname_.size())); }

    void definelabel(const std::string& name)
    {
        labname_.push_back(name);
        labx_.push_back(x_);
        laby_.push_back(y_);
    }

    std::string line()
    {
        switch (pick(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: return linecmd();
        case 6: case 7: return boxcmd();
        case 8: return samplecmd();
        case 9: return nodecmd();
        case 10: return movecmd();
        case 11: {
            if (labname_.empty())
                return nodecmd();
            int j = label();
            x_ = labx_[static_cast<std::size_t>(j)];
            y_ = laby_[static_cast<std::size_t>(j)];
            return indent() + "g (" + labname_[static_cast<std::size_t>(j)] + ")" + ending();
        }
        case 12: {
            static const char* const w[] = {"r", "u", "l", "d", " u ", "\tl"};
            static const int d[] = {0, 1, 2, 3, 1, 2};
            int j = pick(6);
            dir_ = d[j];
            return indent() + "t (" + w[j] + ")" + ending();
        }
        case 13: return indent() + "c (\"" + text() + "\")" + ending();
        case 14: {
            static const char* const m[] = {"p", "m", "-p", "- m"};
            return indent() + m[pick(4)] + ending();
        }
        case 15: {
            std::string name = lenname_.empty() || chance(0.7) ? freshname('w')
                                                               : lenname_[static_cast<std::size_t>(pick(static_cast<int>(lenname_.size())))];
            std::string val = number(0.1, 4);
            std::string typed = val;
            typed.erase(std::remove(typed.begin(), typed.end(), ' '), typed.end());
            auto it = std::find(lenname_.begin(), lenname_.end(), name);
            if (it == lenname_.end()) {
                lenname_.push_back(name);
                lentext_.push_back(typed);
            } else {
                lentext_[static_cast<std::size_t>(it - lenname_.begin())] = typed;
            }
            return indent() + "$" + name + " = " + val + ending();
        }
        case 16: return paramcmd();
        case 17: return texcmd();
        case 18: return indent() + "\n";
        default: return linecmd();
        }
    }

    std::string linecmd()
    {
        static const char letters[] = "rRuUlLdD";
        char letter = letters[pick(8)];
        int dir = linedir(letter);
        dir_ = dir;
        bool minus = chance(0.2);
        std::string head = indent() + (minus ? (chance(0.5) ? "-" : "- ") : "") + letter;
        if (chance(0.3))
            head += chance(0.5) ? "!" : " ! ";
        head += chance(0.5) ? "(" : " (";
        double ux = unitx(dir), uy = unity(dir);
        double sign = minus ? -1 : 1;
        // A label ahead, at least 0.5 away, keeps the segment's direction.
        if (!labname_.empty() && chance(0.3)) {
            std::vector<int> ahead;
            for (std::size_t j = 0; j < labname_.size(); ++j) {
                double along = ux != 0 ? (labx_[j] - x_) * ux : (laby_[j] - y_) * uy;
                if (along * sign >= 0.5)
                    ahead.push_back(static_cast<int>(j));
            }
            if (!ahead.empty()) {
                auto j = static_cast<std::size_t>(ahead[static_cast<std::size_t>(pick(static_cast<int>(ahead.size())))]);
                if (ux != 0)
                    x_ = labx_[j];
                else
                    y_ = laby_[j];
                return head + labname_[j] + ")" + ending();
            }
        }
        double v;
        std::string op = positive(0.5, 5, v);
        x_ += sign * v * ux;
        y_ += sign * v * uy;
        return head + op + ")" + ending();
    }

    std::string boxcmd()
    {
        double w, h;
        std::string ws = positive(0, 3, w), hs = positive(0, 3, h);
        bool minus = chance(0.25);
        int dir = dir_;
        double sign = minus ? -1 : 1;
        x_ += sign * w * unitx(dir);
        y_ += sign * h * unity(dir);
        return indent() + (minus ? "-" : "") + (chance(0.5) ? "b" : "B") + " (" + ws + ", " + hs +
               ", \"" + text() + "\")" + ending();
    }

    std::string samplecmd()
    {
        bool minus = chance(0.25);
        double e;
        std::string op;
        if (chance(0.25)) {
            e = par_.s;
        } else {
            op = positive(0.1, 2, e);
        }
        double sign = minus ? -1 : 1;
        x_ += sign * e * unitx(dir_);
        y_ += sign * e * unity(dir_);
        return indent() + (minus ? "-" : "") + "s (" + op + ")" + ending();
    }

    std::string nodecmd()
    {
        static const char kinds[] = "akn";
        char kind = kinds[pick(3)];
        std::string name = freshname('L');
        definelabel(name);
        return indent() + kind + " (" + name + ")" + ending();
    }

    std::string movecmd()
    {
        static const char letters[] = "xyXY";
        char letter = letters[pick(4)];
        bool cur = letter == 'x' || letter == 'y';
        if (!labname_.empty() && chance(0.3)) {
            auto j = static_cast<std::size_t>(label());
            if (letter == 'x')
                x_ = labx_[j];
            if (letter == 'y')
                y_ = laby_[j];
            return indent() + letter + " (" + labname_[j] + ")" + ending();
        }
        double v;
        std::string op = number(-3, 3, v);
        if (cur && chance(0.2) && !lenname_.empty()) {
            auto j = static_cast<std::size_t>(pick(static_cast<int>(lenname_.size())));
            v = -std::atof(lentext_[j].c_str());
            op = "-$" + lenname_[j];
        }
        if (letter == 'x')
            x_ += v;
        if (letter == 'y')
            y_ += v;
        return indent() + letter + " (" + op + ")" + ending();
    }

    std::string paramcmd()
    {
        static const char letters[] = "tblrakpvcdseio";
        char p = letters[pick(14)];
        std::string head = indent() + "\\" + (chance(0.5) ? "" : " ") + p;
        if (chance(0.2)) {
            setparam(p, defaultof(p));
            return head + ending();   // back to the default
        }
        if ((p == 'c' || p == 'p' || p == 'v') && chance(0.3)) {
            setparam(p, -paramof(p));
            return indent() + "-\\" + p + ending();
        }
        double lo = 0.05, hi = 0.3;
        switch (p) {
        case 't': case 'b': case 'l': case 'r': lo = 0; hi = 1; break;
        case 'a': lo = 0.05; hi = 0.2; break;
        case 'p': case 'v': case 'c': lo = -0.5; hi = 0.5; break;
        case 's': lo = 0.1; hi = 1; break;
        default: break;
        }
        double v;
        std::string val = number(lo, hi, v);
        if ((p == 'a' || p == 'k' || p == 'd' || p == 's' || p == 'e' || p == 'i' || p == 'o') &&
            v <= 0)
            val = "0.1", v = 0.1;
        setparam(p, v);
        return head + (chance(0.5) ? " = " : "=") + val + ending();
    }

    double defaultof(char p)
    {
        Params d = defaults();
        return field(d, p);
    }
    double paramof(char p) { return field(par_, p); }
    void setparam(char p, double v) { field(par_, p) = v; }
    static double& field(Params& q, char p)
    {
        switch (p) {
        case 't': return q.t;
        case 'b': return q.b;
        case 'l': return q.l;
        case 'r': return q.r;
        case 'a': return q.a;
        case 'k': return q.k;
        case 'p': return q.p;
        case 'v': return q.v;
        case 'c': return q.c;
        case 'd': return q.d;
        case 's': return q.s;
        case 'e': return q.e;
        case 'i': return q.i;
        default: return q.o;
        }
    }

    std::string texcmd()
    {
        std::string s = indent() + "%";
        switch (pick(4)) {
        case 0: s += "\\put(\"&){\\circle{0.1}}"; break;
        case 1: s += "% a remark \"x"; break;
        case 2:
            if (!labname_.empty())
                s += "\\put(\"@" + labname_[static_cast<std::size_t>(label())] + "\"){x}";
            break;
        default:
            if (!lenname_.empty())
                s += " \"x, \"y, \"-$" + lenname_[static_cast<std::size_t>(pick(static_cast<int>(lenname_.size())))] + "\"";
            break;
        }
        return s + "\n";
    }

    int dir_ = 0;   // the direction of the first pass
};

// A configuration text of a few correct parameter commands, or none.
std::string configuration(std::uint64_t seed)
{
    std::mt19937_64 rng(seed ^ 0xc0f1c0f1u);
    if (rng() % 3 != 0)
        return {};
    static const char* const lines[] = {
        "\\a = 0.1\n", "\\c = -0.3\n", "-\\p\n",     "\\s = 0.25 %% short\n",
        "\\i=0.05\n",  "\\o = 0.2\n",  "\\t = 0.5\n", "  \\l = 0.25\n",
        "\\k = 0.1\n", "\\e = 0.2\n",  "\\d = 0.3\n", "\n",
    };
    std::string conf;
    auto n = 1 + rng() % 5;
    for (std::uint64_t j = 0; j < n; ++j)
        conf += lines[rng() % 12];
    return conf;
}

// ------------------------------------------------------------ the test

TEST(TwoPasses, SecondPassIsTheFirstShiftedAndStaysInThePicture)
{
    int lines = 0, items = 0;
    for (int n = 0; n < SOURCES; ++n) {
        const std::uint64_t seed = FIRST_SEED + static_cast<std::uint64_t>(n);
        // The defaults a configuration file sets are what the second pass
        // starts from again.
        const std::string conf = configuration(seed);
        builtin();
        Reader confin;
        confin.mem = conf;
        term.fp = nullptr;
        ASSERT_EQ(applyconf(confin), 0) << conf;
        Generator gen(seed);
        Options opt;
        const std::string src = gen.source(opt);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", configuration:\n" + conf +
                     "source:\n" + src);

        const twopass::Observation ob = twopass::observe(src, conf, opt);
        // The observation is the real run.
        std::string out, transcript;
        ASSERT_EQ(translate(src, conf, opt, out, transcript), 0) << transcript;
        ASSERT_EQ(ob.picture, out);
        ASSERT_TRUE(ob.clean);
        // Cut wherever it can be, on three threads, the second pass writes the same.
        Options cut = opt;
        cut.threads = 3;
        cut.piece = 1;
        std::string cutout, cuttranscript;
        ASSERT_EQ(translate(src, conf, cut, cutout, cuttranscript), 0);
        ASSERT_EQ(cutout, out);
        ASSERT_EQ(cuttranscript, transcript);

        EXPECT_EQ(twopass::shifted(ob, 1e-9), "");
        EXPECT_EQ(twopass::inside(ob), "");
        if (HasFailure())
            return;
        lines += static_cast<int>(ob.steps.size());
        for (const auto& s : ob.steps)
            if (s.out.find("\\put(") != std::string::npos || s.out.find("\\multiput(") != std::string::npos)
                ++items;
    }
    term.buf.clear();
    // The generator must really exercise the passes.
    EXPECT_GT(lines, SOURCES * 10);
    EXPECT_GT(items, SOURCES * 5);
}

}  // namespace
