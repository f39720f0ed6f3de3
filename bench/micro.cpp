// Micro-benchmarks of the translator's inner pieces: the output number
// format, the two operand scanners, and one line of each common command
// through the second-pass dispatcher.
//
// The second-pass state is set up as the driver leaves it after the origin
// shift, with the name indexes and the sorted circle nodes built as the run
// builds them: a full label table (200 labels, every third one a circle node), a
// length table of 100 lengths as it stands midway through a file, the
// default parameters and a current point clear of every node.  Names looked
// up sit in the middle of their tables, the average cost of a linear search.
// Every iteration restores the points, the direction and the length table,
// so each one handles the same line from the same state.
#include "quillard.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int NLENGTHS = 100;

struct Fixture {
    State st;
    Points start;

    Fixture()
    {
        builtin();
        st.par = defaults();
        for (int j = 0; j < MAXLAB; ++j) {
            auto s = static_cast<std::size_t>(j);
            st.lab.labname[s] = "L" + std::to_string(j);
            st.lab.labx[s] = 10.0 + j;
            st.lab.laby[s] = 10.0 + 0.5 * j;
            st.lab.labattr[s] = j % 3 == 0 ? 1 : 0;
            addname(st.lab.idx, st.lab.labname.data(), j + 1);
        }
        st.lab.nlab = MAXLAB;
        nodes(st.lab);   // as between the passes
        for (int j = 0; j < NLENGTHS; ++j) {
            auto s = static_cast<std::size_t>(j);
            st.len.lenname[s] = "w" + std::to_string(j);
            st.len.lenval[s] = std::to_string(1 + j % 4) + ".25";
            addname(st.len.idx, st.len.lenname.data(), j + 1);
        }
        st.len.nlen = NLENGTHS;
        start.curx = start.lastx = 5.3;
        start.cury = start.lasty = 4.7;
        start.refx = 5.3;
        start.refy = 4.9;
        st.pt = start;
    }
};

// ------------------------------------------------------------ number format

void BM_fmtnum(benchmark::State& state, double x)
{
    std::string out;
    for (auto _ : state) {
        out.clear();
        fmtnum(x, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK_CAPTURE(BM_fmtnum, zero, 0.0);
BENCHMARK_CAPTURE(BM_fmtnum, integer, 42.0);
BENCHMARK_CAPTURE(BM_fmtnum, two_decimals, 12.75);
BENCHMARK_CAPTURE(BM_fmtnum, five_decimals, -3.14159);
BENCHMARK_CAPTURE(BM_fmtnum, large, 123456.78901);
BENCHMARK_CAPTURE(BM_fmtnum, exponent_path, 1.5e13);

void BM_value(benchmark::State& state)
{
    double x = 12.345678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(value(x));
    }
}
BENCHMARK(BM_value);

// ---------------------------------------------------------------- scanners

// One srlen call from the index of the '(' in line.
void BM_srlen(benchmark::State& state, std::string line)
{
    Fixture fx;
    std::string buf;
    std::size_t open = line.find('(');
    for (auto _ : state) {
        std::size_t pos = open;
        int comma = 0, errcode = 0;
        srlen(pos, line, buf, comma, errcode, ')', fx.st.len);
        benchmark::DoNotOptimize(buf.data());
        if (errcode != 0) {
            state.SkipWithError("srlen reported an error");
            break;
        }
    }
}
BENCHMARK_CAPTURE(BM_srlen, decimal, std::string("r (12.5)\n"));
BENCHMARK_CAPTURE(BM_srlen, decimal_blanks_comment, std::string("r ( 1 2 . 5 )   %% note\n"));
BENCHMARK_CAPTURE(BM_srlen, reference, std::string("r ($w50)\n"));
BENCHMARK_CAPTURE(BM_srlen, negated_reference, std::string("x (-$w99)\n"));

// The two comma-ended operands of a box.
void BM_srlen_box(benchmark::State& state)
{
    Fixture fx;
    std::string line = "b (1.4, $w50, \"$G(s)$\")\n";
    std::string buf;
    for (auto _ : state) {
        std::size_t pos = 2;
        int comma = 0, errcode = 0;
        srlen(pos, line, buf, comma, errcode, ',', fx.st.len);
        srlen(pos, line, buf, comma, errcode, ',', fx.st.len);
        benchmark::DoNotOptimize(buf.data());
        if (errcode != 0) {
            state.SkipWithError("srlen reported an error");
            break;
        }
    }
}
BENCHMARK(BM_srlen_box);

// One srpara call from the index of the '=' in line.
void BM_srpara(benchmark::State& state, std::string line)
{
    Fixture fx;
    std::string buf;
    std::size_t eq = line.find('=');
    for (auto _ : state) {
        int errcode = 0;
        srpara(eq, line, buf, fx.st.len, errcode);
        benchmark::DoNotOptimize(buf.data());
        if (errcode != 0) {
            state.SkipWithError("srpara reported an error");
            break;
        }
    }
}
BENCHMARK_CAPTURE(BM_srpara, decimal, std::string("\\c = 0.25\n"));
BENCHMARK_CAPTURE(BM_srpara, decimal_comment, std::string("\\c = 0.25   %% clearance\n"));
BENCHMARK_CAPTURE(BM_srpara, reference, std::string("\\c = $w50\n"));

// ------------------------------------------------------- one line, pass two

void BM_interpret(benchmark::State& state, std::string line)
{
    Fixture fx;
    State& st = fx.st;
    std::string workbuf, outbuf;
    std::size_t bytes = 0;
    const Nameidx lenidx = st.len.idx;
    for (auto _ : state) {
        st.pt = fx.start;
        st.dir = 0;
        if (st.len.nlen != NLENGTHS) {   // a length was defined: as it was
            st.len.nlen = NLENGTHS;
            st.len.idx = lenidx;
        }
        int drawn = 0, errcode = 0;
        outbuf.clear();
        interpret(line, workbuf, outbuf, st.lab, st.dir, st.par, st.pt, st.len, drawn, 0, 0,
                  errcode);
        benchmark::DoNotOptimize(outbuf.data());
        if (errcode != 0) {
            state.SkipWithError("the line reported an error");
            break;
        }
        bytes += workbuf.size() + outbuf.size();
    }
    state.counters["out_bytes"] =
        benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}

const std::vector<std::pair<const char*, const char*>>& lines()
{
    static const std::vector<std::pair<const char*, const char*>> all = {
        {"line", "r (2)\n"},
        {"arrow", "R (1.5)\n"},
        {"arrow_length_var", "U ($w50)\n"},
        {"line_to_label", "r (L100)\n"},
        {"arrow_to_label", "U (L100)\n"},
        {"line_indented_comment", "  r (2)   %% feedback path\n"},
        {"reversed_arrow", "-L (2)\n"},
        {"dashed_line", "r! (2)\n"},
        {"dashed_arrow", "D! (1.75)\n"},
        {"box", "b (1.4, 0.8, \"$G(s)$\")\n"},
        {"dashed_box_length_var", "B ($w50, 0.6, \"Plant\")\n"},
        {"node_a", "a (L150)\n"},
        {"knot_k", "k (L150)\n"},
        {"label_n", "n (L150)\n"},
        {"annotation_c", "c (\"$u_{1}$\")\n"},
        {"sample", "s (0.5)\n"},
        {"sample_default", "s ()\n"},
        {"plus", "p\n"},
        {"minus_at_last", "-m\n"},
        {"move_x", "x (1.5)\n"},
        {"move_y_to_label", "y (L100)\n"},
        {"move_ref_X", "X (0.1)\n"},
        {"jump_g", "g (L100)\n"},
        {"turn_t", "t (u)\n"},
        {"length_def", "$len = 2.5\n"},
        {"parameter", "\\c = 0.25\n"},
        {"parameter_reset", "\\a\n"},
        {"texline_point", "%\\put(\"&){\\circle{0.2}}\n"},
        {"texline_label", "%\\put(\"@L100\"){\\makebox(0,0)[l]{$A$}}\n"},
        {"texline_length", "%\\put(\"x,\"/L100\"){\\line(1,0){\"$w50\"}}\n"},
        {"texline_comment", "%% stage 12\n"},
        {"empty", "\n"},
    };
    return all;
}

const bool registered = [] {
    for (const auto& [name, text] : lines())
        benchmark::RegisterBenchmark((std::string("BM_interpret/") + name).c_str(), BM_interpret,
                                     std::string(text));
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
