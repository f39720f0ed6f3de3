// The first pass's lines read ahead on a thread of their own: the lines are
// those the reader gives, and a line scanned ahead changes the state exactly
// as scale does.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// A state with labels (circle nodes too), lengths of every kind of value
// text, a direction, points, parameters and extents that vary with seed.
State somestate(unsigned seed)
{
    std::mt19937 rng(seed);
    State st;
    st.par = defaults();
    const char* const names[] = {"A", "B", "C", "S1", "out"};
    for (const char* n : names) {
        auto s = static_cast<std::size_t>(st.lab.nlab++);
        st.lab.labname[s] = n;
        st.lab.labx[s] = static_cast<double>(rng() % 2000) / 7.0 - 100;
        st.lab.laby[s] = static_cast<double>(rng() % 2000) / 11.0 - 90;
        st.lab.labattr[s] = static_cast<int>(rng() % 2);
        addname(st.lab.idx, st.lab.labname.data(), st.lab.nlab);
    }
    const char* const lens[][2] = {{"w", "0.75"}, {"neg", "-1.5"}, {"d", "-"}, {"e", ".25"},
                                   {"n", "-."},   {"q1", "007.50"}, {"z", "0"}, {"mz", "-0"}};
    for (const auto& l : lens) {
        auto s = static_cast<std::size_t>(st.len.nlen++);
        st.len.lenname[s] = l[0];
        st.len.lenval[s] = l[1];
        addname(st.len.idx, st.len.lenname.data(), st.len.nlen);
    }
    st.dir = static_cast<int>(rng() % 4);
    st.pt.curx = static_cast<double>(rng() % 1000) / 3.0 - 150;
    st.pt.cury = static_cast<double>(rng() % 1000) / 9.0 - 50;
    st.par.a = 0.05 * static_cast<double>(rng() % 5);
    st.ext.xmin = -static_cast<double>(rng() % 300);
    st.ext.xmax = static_cast<double>(rng() % 300);
    st.ext.ymin = -static_cast<double>(rng() % 300);
    st.ext.ymax = static_cast<double>(rng() % 300);
    return st;
}

// Everything of a state the first pass reads or writes, with the messages
// printed and the error code.
std::string picture(const State& st, int errcode, const std::string& said)
{
    std::string s = std::to_string(errcode) + "|" + said + "|" + std::to_string(st.dir) + "|";
    auto raw = [&s](const void* p, std::size_t n) { s.append(static_cast<const char*>(p), n); };
    raw(&st.pt, sizeof st.pt);
    raw(&st.ext, sizeof st.ext);
    raw(&st.par, sizeof st.par);
    s += std::to_string(st.lab.nlab) + "|" + lenpack(st.len);
    for (int j = 0; j < st.lab.nlab; ++j) {
        auto k = static_cast<std::size_t>(j);
        s += st.lab.labname[k];
        raw(&st.lab.labx[k], sizeof(double));
        raw(&st.lab.laby[k], sizeof(double));
    }
    return s;
}

// One line both ways from one state: scale, and prescan with scahead (scale
// where scahead leaves the line to it).  prescan prints nothing and leaves
// its scratch state as it found it.
void agree(const std::string& line, const State& from)
{
    ASSERT_LT(line.size(), static_cast<std::size_t>(MAXREAD));
    term.fp = nullptr;
    term.buf.clear();
    State a = from;
    int ea = 0;
    scale(line, a.lab, a.len, a.dir, a.par, a.pt, a.ext, ea);
    std::string want = picture(a, ea, term.buf);
    term.buf.clear();

    State scratch;
    scratch.par = defaults();
    const std::string before = picture(scratch, 0, "");
    Ahline al;
    prescan(line, al, scratch);
    ASSERT_EQ(term.buf, "") << line;
    ASSERT_EQ(picture(scratch, 0, ""), before) << line;
    State b = from;
    int eb = 0;
    if (!scahead(al, line, b, eb))
        scale(line, b.lab, b.len, b.dir, b.par, b.pt, b.ext, eb);
    ASSERT_EQ(picture(b, eb, term.buf), want) << "line '" << line << "' kind " << int(al.kind);
    term.buf.clear();
}

const char* const OPERANDS[] = {
    "1.25", "-2", "0", "-0", ".5", "5.", "-.", "-", ".", "007.50", "12345678901234567",
    "1.2.3", "1e5", "$w", "-$w", "$neg", "-$neg", "$d", "-$d", "$e", "-$n", "$q1", "$z", "-$z",
    "-$mz", "$nope", "-$nope", "$", "-$", "$ w", "$w ", " 1", "1 ", "A", "S1", "nope", "1,2", ""};
const char* const TAILS[] = {")\n", ")", ") %% note\n", ")  junk\n", ")\t\n", ") %\n", "\n", ""};

TEST(ReadAhead, LineCommandsAndBoxesAgreeWithScale)
{
    for (unsigned seed = 0; seed < 3; ++seed) {
        State from = somestate(seed);
        for (const char* head : {"r (", "R(", "-l (", "- D (", "u! (", "-U !(", "\td (", "r", "r ! "}) {
            for (const char* op : OPERANDS) {
                for (const char* tail : TAILS) {
                    agree(std::string(head) + op + tail, from);
                    if (HasFatalFailure())
                        return;
                }
            }
        }
        for (const char* head : {"b (", "-B(", "  b(", "b"}) {
            for (const char* w : {"1.4", "$w", "-0.8", "", "x"}) {
                for (const char* rest : {", 0.6, \"$G(s)$\")\n", ", $e, \"K\")", ",0.5,\"\") %% c\n",
                                         ", 0.6, K)\n", ", 0.6)\n", ", 0.6, \"A\" x\n", ", 0.6, \"A\n"}) {
                    agree(std::string(head) + w + rest, from);
                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}

// Every other command, well and badly written, with and without '-'.
TEST(ReadAhead, OtherLinesAgreeWithScale)
{
    const char* const lines[] = {
        "c (\"$y$\")\n", "-c (\"y\")\n", "c \"y\"\n", "c (\"y\") x\n", "c (\"y)\n", "p\n", "-m\n",
        "p x\n", "m %% c\n", "%\\put(0,0){x}\n", "-%x\n", "\n", "", "   \n", "\t", "q\n", "-q\n",
        "?\n", "n (A)\n", "n (new)\n", "k (K)\n", "a (P)\n", "-a (P)\n", "g (A)\n", "g (nope)\n",
        "-g (A)\n", "x (1)\n", "y ($w)\n", "X (A)\n", "Y (-0.3)\n", "t (l)\n", "t (q)\n",
        "\\a = 0.3\n", "-\\c = 0.1\n", "\\k\n", "$w = 2\n", "$new = -1\n", "$ = 1\n", "s (0.5)\n",
        "-s\n", "s ($w)\n", "r (1)\r\n", "c (\"%\")\n"};
    for (unsigned seed = 0; seed < 3; ++seed) {
        State from = somestate(seed);
        for (const char* line : lines) {
            agree(line, from);
            if (HasFatalFailure())
                return;
        }
    }
}

// Random lines from the pieces that matter to the scans.
TEST(ReadAhead, RandomLinesAgreeWithScale)
{
    std::mt19937_64 rng(0xa4ead);
    const std::string cmds = "rRuUlLdDbBcpm%nkagxyXYts\\$q ";
    const std::string chars = "0123456789.-$ \t(),\"!%wAS1endzq";
    for (int k = 0; k < 200000; ++k) {
        std::string line;
        if (rng() % 4 == 0)
            line += rng() % 2 ? "  " : "\t";
        if (rng() % 5 == 0)
            line += rng() % 2 ? "-" : "- ";
        line += cmds[rng() % cmds.size()];
        if (rng() % 3)
            line += rng() % 2 ? " (" : "(";
        int n = static_cast<int>(rng() % 14);
        for (int j = 0; j < n; ++j)
            line += chars[rng() % chars.size()];
        static const char* const ends[] = {")\n", ")", ") %% x\n", "\n", "", ")x\n", "\")\n"};
        line += ends[rng() % 7];
        agree(line, somestate(static_cast<unsigned>(k % 7)));
        if (HasFatalFailure())
            return;
    }
}

struct Got {
    std::string line;
    std::int64_t at;
    bool nul;
};

// The lines as the reader gives them, and as the reading thread hands them over.
std::vector<Got> byreader(Reader& in)
{
    std::vector<Got> v;
    std::string buf;
    std::string_view line;
    while (rdview(in, line, buf))
        v.push_back({std::string(line), in.at, in.nul});
    return v;
}

std::vector<Got> byahead(const Reader& src, bool& error)
{
    std::vector<Got> v;
    Ahead* ah = ahopen(src);
    EXPECT_NE(ah, nullptr);
    if (ah == nullptr)
        return v;
    Ahblock b;
    error = false;
    while (ahnext(*ah, b, error))
        for (std::size_t k = 0; k < b.n; ++k)
            v.push_back({std::string(b.text + b.lines[k].off, b.lines[k].size), b.lines[k].at,
                         b.lines[k].nul});
    ahclose(ah);
    return v;
}

void sameread(const std::vector<Got>& a, const std::vector<Got>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_EQ(a[k].line, b[k].line) << "line " << k;
        ASSERT_EQ(a[k].at, b[k].at) << "line " << k;
        ASSERT_EQ(a[k].nul, b[k].nul) << "line " << k;
    }
}

// Sources from memory and from a file: a byte-order mark, carriage returns,
// NUL bytes, overlong lines, no newline at the end, lines across the
// reader's blocks, many blocks of lines, and nothing at all.
TEST(ReadAhead, HandsOverTheLinesTheReaderReads)
{
    std::mt19937 rng(7);
    std::vector<std::string> sources = {"", "\n", "r (1)", "\xEF\xBB\xBFr (1)\r\nb (1, 1, \"x\")\r\n"};
    std::string big = "\xEF\xBB\xBF";
    for (int k = 0; k < 30000; ++k) {
        unsigned pick = rng() % 40;
        if (pick == 0)
            big += std::string(1000 + rng() % 2500, 'x');
        else if (pick == 1)
            big += std::string("r (1") + '\0' + ")";
        else if (pick == 2)
            big += "c (\"y\")\r";
        else
            big += "r (" + std::to_string(rng() % 100) + ")";
        big += rng() % 9 ? "\n" : "\r\n";
    }
    sources.push_back(big);
    sources.push_back(big.substr(0, big.size() - 1));
    std::filesystem::path file = std::filesystem::temp_directory_path() / "quillard-ahead.qld";
    for (const std::string& s : sources) {
        Reader mem;
        mem.mem = s;
        bool error = true;
        std::vector<Got> ahead = byahead(mem, error);
        EXPECT_FALSE(error);
        sameread(byreader(mem), ahead);
        {
            std::ofstream(file, std::ios::binary) << s;
        }
        std::FILE* fp = std::fopen(file.c_str(), "rb");
        ASSERT_NE(fp, nullptr);
        Reader disk;
        disk.fp = fp;
        error = true;
        ahead = byahead(disk, error);
        EXPECT_FALSE(error);
        sameread(byreader(disk), ahead);
        std::fclose(fp);
        if (HasFatalFailure())
            break;
    }
    std::filesystem::remove(file);
}

// A reading thread closed before its lines are all taken ends cleanly.
TEST(ReadAhead, ClosesBeforeTheEnd)
{
    std::string s;
    for (int k = 0; k < 100000; ++k)
        s += "r (1)\n";
    Reader mem;
    mem.mem = s;
    Ahead* ah = ahopen(mem);
    ASSERT_NE(ah, nullptr);
    Ahblock b;
    bool error = false;
    ASSERT_TRUE(ahnext(*ah, b, error));
    EXPECT_EQ(std::string(b.text, 6), "r (1)\n");
    ahclose(ah);
}

}  // namespace
