// Pieces of the driver: reading lines, output names, copying files.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <unistd.h>

TEST(Rdline, LongLinesComeInPiecesOfAtMost1002)
{
    std::string src = std::string(1001, 'a') + "\n" + std::string(1000, 'b') + "\n" +
                      std::string(2500, 'c') + "\nlast";
    Reader in;
    in.mem = src;
    std::string line;
    std::vector<std::size_t> sizes;
    while (rdline(in, line))
        sizes.push_back(line.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1002, 1001, 1002, 1002, 497, 4}));
    rewind(in);
    ASSERT_TRUE(rdline(in, line));
    EXPECT_EQ(line.size(), 1002u);
}

TEST(Rdline, StreamAndMemoryAgree)
{
    std::string src = "\xef\xbb\xbfr (1)\r\n\n" + std::string(3000, 'x') + "\r\n" +
                      std::string(1001, 'y') + "\r\n" + std::string(1002, 'z') + "\r\r\n%% end";
    src += std::string(70000, 'w') + "\r\n";   // a carriage return at a block's end
    auto path = std::filesystem::temp_directory_path() / "quillard-rdline.qld";
    std::ofstream(path, std::ios::binary) << src;
    Reader a, b;
    a.mem = src;
    b.fp = std::fopen(path.c_str(), "rb");
    ASSERT_NE(b.fp, nullptr);
    std::string la, lb;
    for (int pass = 0; pass < 2; ++pass) {
        for (;;) {
            bool ga = rdline(a, la), gb = rdline(b, lb);
            ASSERT_EQ(ga, gb);
            if (!ga)
                break;
            ASSERT_EQ(la, lb);
        }
        rewind(a);
        rewind(b);
    }
    std::fclose(b.fp);
    std::filesystem::remove(path);
}

// rdview takes most line ends from the newlines of 64 bytes found at once;
// rdslow finds each line afresh.  Over random sources (lines of every length
// around the 64 bytes, carriage returns, NUL bytes, overlong lines, the
// blocks of a file, the end of a text without its newline) both give the
// same lines, NUL flags and places, from memory and from a file.
TEST(Rdline, KeptNewlinesGiveTheLinesOfTheSlowPath)
{
    auto path = std::filesystem::temp_directory_path() / "quillard-kept.qld";
    std::mt19937 rng(5);
    for (int round = 0; round < 6; ++round) {
        std::string src;
        while (src.size() < 150000) {
            unsigned r = rng() % 100;
            std::size_t len = r < 90 ? rng() % 140 : r < 98 ? rng() % 400 : 900 + rng() % 300;
            for (std::size_t k = 0; k < len; ++k) {
                unsigned c = rng() % 200;
                src += c == 0 ? '\0' : c == 1 ? '\r' : static_cast<char>('a' + c % 26);
            }
            src += rng() % 10 == 0 ? "\r\n" : "\n";
        }
        if (round % 2 == 1)
            src += "last line";
        std::ofstream(path, std::ios::binary) << src;
        for (bool file : {false, true}) {
            SCOPED_TRACE((file ? "file, round " : "memory, round ") + std::to_string(round));
            Reader fast, slow;
            if (file) {
                fast.fp = std::fopen(path.c_str(), "rb");
                slow.fp = std::fopen(path.c_str(), "rb");
                ASSERT_TRUE(fast.fp != nullptr && slow.fp != nullptr);
            } else {
                fast.mem = src;
                slow.mem = src;
            }
            std::string bf, bs;
            std::string_view lf, ls;
            std::size_t lines = 0;
            for (;;) {
                bool gf = rdview(fast, lf, bf), gs = rdslow(slow, ls, bs);
                ASSERT_EQ(gf, gs) << lines;
                if (!gf)
                    break;
                ++lines;
                ASSERT_EQ(lf, ls) << lines;
                ASSERT_EQ(fast.nul, slow.nul) << lines;
                ASSERT_EQ(fast.at, slow.at) << lines;
            }
            EXPECT_GT(lines, 1000u);
            if (file) {
                std::fclose(fast.fp);
                std::fclose(slow.fp);
            }
        }
    }
    std::filesystem::remove(path);
}

// The views of rdview and the NUL flag, from a stream whose lines cross the
// reader's blocks and from memory: the same lines as rdline, and the flag
// set exactly for the lines that hold a NUL byte.
TEST(Rdline, ViewsAndNulFlagFromStreamAndMemory)
{
    std::string src;
    for (int j = 0; j < 9000; ++j) {
        src += std::string(static_cast<std::size_t>(j % 37), 'a');
        if (j % 11 == 0)
            src += '\0';
        if (j % 13 == 0)
            src += '\r';
        src += j % 500 == 0 ? std::string(1500, 'z') + "\n" : "\n";
    }
    src += std::string("\0tail", 5);
    auto path = std::filesystem::temp_directory_path() / "quillard-rdview.qld";
    std::ofstream(path, std::ios::binary) << src;
    Reader mem, file, plain;
    mem.mem = src;
    plain.mem = src;
    file.fp = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file.fp, nullptr);
    std::string bm, bf, want;
    std::string_view lm, lf;
    int lines = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (;;) {
            bool gp = rdline(plain, want);
            ASSERT_EQ(rdview(mem, lm, bm), gp);
            ASSERT_EQ(rdview(file, lf, bf), gp);
            if (!gp)
                break;
            ++lines;
            ASSERT_EQ(lm, want);
            ASSERT_EQ(lf, want);
            bool nul = want.find('\0') != std::string::npos;
            ASSERT_EQ(mem.nul, nul) << lines;
            ASSERT_EQ(file.nul, nul) << lines;
        }
        rewind(mem);
        rewind(file);
        rewind(plain);
    }
    EXPECT_GT(lines, 18000);
    std::fclose(file.fp);
    std::filesystem::remove(path);
}

TEST(Names, OutputAndBackupLandInTheCurrentDirectory)
{
    EXPECT_EQ(outname("figs/plan.qld", ".tex"), "plan.tex");
    EXPECT_EQ(outname("figs/plan.qld", ".org"), "plan.org");
    EXPECT_EQ(outname("a.b.c", ".tex"), "a.b.tex");
    EXPECT_EQ(outname("old.d/x.qld", ".tex"), "x.tex");
    EXPECT_EQ(outname("../figs/plan.txt", ".org"), "plan.org");
}

TEST(Copyfile, CopiesBytesAndReportsFailure)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "quillard-copy";
    fs::create_directories(dir);
    std::string body("x\0y;$(touch z)\n", 15);
    std::ofstream(dir / "a b;$x.tex", std::ios::binary) << body;
    ASSERT_TRUE(copyfile((dir / "a b;$x.tex").string(), (dir / "a b;$x.org").string()));
    std::ifstream in(dir / "a b;$x.org", std::ios::binary);
    std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, body);
    EXPECT_FALSE(copyfile((dir / "missing").string(), (dir / "m.org").string()));
    EXPECT_FALSE(copyfile((dir / "a b;$x.tex").string(), (dir / "no/such/dir.org").string()));
    fs::remove_all(dir);
}

#ifdef __linux__
// A file synced on a thread of its own as its blocks are handed to the
// disk: its bytes land whole; a sync that fails leaves the sink in error
// with its cause, although a later sync of the same file succeeds.
TEST(Sink, SyncedAsItGoesLandsWholeAndKeepsAFailedSync)
{
    namespace fs = std::filesystem;
    fs::path path = fs::temp_directory_path() / "quillard-bgsync.tex";
    std::string block(100000, 'x');
    for (bool broken : {false, true}) {
        SCOPED_TRACE(broken ? "a sync fails" : "the syncs succeed");
        std::FILE* fp = std::fopen(path.c_str(), "wb");
        ASSERT_NE(fp, nullptr);
        std::setvbuf(fp, nullptr, _IONBF, 0);
        int pipefd[2] = {-1, -1};   // a pipe cannot be synced
        if (broken) {
            ASSERT_EQ(::pipe(pipefd), 0);
        }
        Sink s;
        s.fp = fp;
        s.wbfd = broken ? pipefd[0] : ::fileno(fp);
        bgstart(s);
        EXPECT_TRUE(s.bg);
        for (int k = 0; k < 40; ++k)
            put(s, block);
        // A block handed over when the run ends is left to the sync at the
        // end: the thread is given the time to take one first.
        while (bgsyncs() == 0)
            std::this_thread::yield();
        bgstop(s);
        EXPECT_FALSE(s.bg);
        EXPECT_EQ(flush(s), !broken);
        EXPECT_EQ(s.errnum, broken ? EINVAL : 0);
        std::fclose(fp);
        if (broken) {
            ::close(pipefd[0]);
            ::close(pipefd[1]);
        }
        EXPECT_EQ(fs::file_size(path), 40 * block.size());
    }
    fs::remove(path);
}
#endif

// Numbers counted on in the text of the last one, across every change of
// width, and numbers that do not follow the last one.
TEST(Progress, CountingOnGivesEveryNumberWhole)
{
    Sink s;
    std::string want;
    // every: the owed numbers are written after every so many (0: never).
    auto run = [&](std::int64_t from, std::int64_t to, int every = 0) {
        for (std::int64_t n = from; n <= to; ++n) {
            progress(s, n);
            want += "[" + std::to_string(n) + "]";
            if (every > 0 && n % every == 0)
                settle(s);
        }
    };
    run(1, 9000);          // numbers owed in batches, and one over
    run(1, 12);            // the second pass starts again
    run(13, 3000, 7);      // runs of ten cut anywhere
    run(99990, 100010);
    run(99999999999970LL, 100000000000030LL, 13);   // 14 digits to 15
    run(1, 300);
    run(100000000000000LL, 100000000000025LL);   // 15 digits, after short ones
    run(999999999999999990LL, 1000000000000000010LL);
    run(7, 7);
    run(0, 2);
    settle(s);             // the numbers still owed
    EXPECT_EQ(s.buf, want);
}

TEST(Progress, LineNumbersPast32BitsAreWrittenWhole)
{
    Sink s;
    progress(s, 3000000000LL);
    putnum(s, 9000000000000000000LL);
    EXPECT_EQ(s.buf, "[3000000000]9000000000000000000");
}

// The ends of each line's LaTeX, recorded for the playground, cut the
// picture into the header, the output of every source line and the closing
// line, and leave the picture as it is without them.  Under -h each drawing
// line's piece closes with its own number; an overlong line's pieces are
// numbered as the program numbers them.
TEST(Translate, LineEndsCutThePictureIntoEachLinesOutput)
{
    const std::string longline(1500, ' ');
    const std::string sources[] = {
        "r (1)\n\nZ (1)\nn (A)\n  u (0.5)\n%\\put(\"&){x}\nc (\"t\")\nb (1, 1, \"B\")\ng (A)\nl (1)",
        "$w = 1\n" + longline + "r ($w)\n" + "k (K)\nR (K)\n",
        "",
    };
    for (const std::string& src : sources) {
        for (int h = 0; h < 2; ++h) {
            Options opt;
            opt.hopt = h;
            std::string plain, transcript;
            translate(src, "", opt, plain, transcript);
            std::vector<std::size_t> ends;
            opt.ends = &ends;
            std::string out;
            translate(src, "", opt, out, transcript);
            EXPECT_EQ(out, plain);
            ASSERT_FALSE(ends.empty());
            EXPECT_EQ(out.substr(0, ends[0]).rfind("\\begin{picture}(", 0), 0u);
            EXPECT_EQ(out.find('\n'), ends[0] - 1);
            EXPECT_EQ(out.substr(ends.back()), "\\end{picture}\n");
            // Lines as the program counts them: pieces of at most 1002 bytes.
            std::size_t lines = 0;
            Reader in;
            in.mem = src;
            for (std::string line; rdline(in, line);)
                ++lines;
            ASSERT_EQ(ends.size(), lines + 1) << src;
            std::size_t marked = 0;
            for (std::size_t k = 1; k < ends.size(); ++k) {
                ASSERT_LE(ends[k - 1], ends[k]);
                std::string piece = out.substr(ends[k - 1], ends[k] - ends[k - 1]);
                std::string mark = "{\\scriptsize " + std::to_string(k) + "$";
                if (piece.find(mark) != std::string::npos)
                    ++marked;
            }
            std::size_t annotations = 0;
            for (std::size_t at = out.find("\\scriptsize"); at != std::string::npos;
                 at = out.find("\\scriptsize", at + 1))
                ++annotations;
            EXPECT_EQ(marked, annotations);
            EXPECT_EQ(annotations > 0, h == 1 && !src.empty());
        }
    }
}
