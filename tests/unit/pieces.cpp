// The second pass cut into pieces on several threads against the second pass
// in one: the same picture, transcript and status, byte for byte.
#include "quillard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// Random sources of every kind of line the cuts meet: jumps, the lines that
// may follow them, parameters and lengths changing (with errors too), labels
// defined before and after use, overlong lines, NUL bytes, carriage returns.
std::string source(unsigned seed, int lines)
{
    static const char* const kinds[] = {
        "g (A)", "g (B)", "g (Z)", "g(A)  %% back", "-g (A)", "r (1.25)", "R ($w)", "-L (A)",
        "u (B)", "D (0.7)", "b (1.4, 0.6, \"K\")", "-B (1, 1, \"$G$\")", "s (2)", "-s",
        "x (0.5)", "y (-$w)", "-x (1)", "X (0.3)", "p", "-m", "\\c = 0.35", "\\a = 0.2",
        "\\k = -1", "\\d = $w", "\\e", "-\\c = 0.1", "$w = 0.75", "$w = 1.5", "$v = $w",
        "$u = $nope", "n (A)", "n (B)", "a (C)", "k (D)", "c (\"$y$\")", "%\\put(0,0){x}",
        "t (l)", "t (r)", "r (", "q", "", "\tr (2)\r", "  g (C)"};
    std::mt19937 rng(seed);
    std::string src;
    for (int k = 0; k < lines; ++k) {
        unsigned pick = rng() % 60;
        if (pick < std::size(kinds))
            src += kinds[pick];
        else if (pick < 57)
            src += "g (A)\nr (" + std::to_string(rng() % 9) + "." + std::to_string(rng() % 100) + ")";
        else if (pick == 57)
            src += "r (" + std::string(1100, '1') + ")";
        else if (pick == 58)
            src += std::string("g (A)\n") + '\0' + "r (1)";
        else
            src += "n (E)";
        src += '\n';
    }
    return src;
}

struct Texts {
    std::string out, transcript;
    int status = 0;
};

Texts translated(const std::string& src, Options opt)
{
    Texts r;
    r.status = translate(src, "", opt, r.out, r.transcript);
    return r;
}

void same(const Texts& a, const Texts& b)
{
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.transcript, b.transcript);
}

// Both passes over a reader, as the program runs them, with the cuts the
// first pass found changed by spoil before the second pass.
template <class Spoil>
Texts passes(Reader& in, const Options& opt, Spoil spoil)
{
    Sink saved = std::move(term);
    term = Sink{};
    builtin();
    State st;
    st.par = defaults();
    pass1(in, st, opt);
    spoil(st.cuts);
    Sink dst;
    pass2(in, st, dst, opt);
    Texts r{std::move(dst.buf), std::move(term.buf), st.failed};
    term = std::move(saved);
    return r;
}

TEST(Pieces, CutAnywhereOnAnyNumberOfThreadsTheSameTexts)
{
    int cut = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::string src = source(seed, 40 + static_cast<int>(seed) * 7);
        Options one;
        one.threads = 1;
        one.hopt = seed % 3 == 0;
        one.nopt = seed % 4 == 0;
        one.boxopt = static_cast<int>(seed % 3);
        Texts serial = translated(src, one);
        for (int threads : {2, 3, 4}) {
            for (std::size_t piece : {1, 17, 300}) {
                SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(threads) +
                             " threads, pieces of " + std::to_string(piece) + "\n" + src);
                Options opt = one;
                opt.threads = threads;
                opt.piece = piece;
                same(translated(src, opt), serial);
                if (HasFailure())
                    return;
            }
        }
        Reader in;
        in.mem = src;
        Options opt = one;
        opt.threads = 2;
        opt.piece = 1;
        passes(in, opt, [&](std::vector<Cut>& cuts) { cut += static_cast<int>(cuts.size()); });
    }
    EXPECT_GT(cut, 400);   // the sources really are cut
}

TEST(Pieces, WrongGuessesAreTranslatedAgain)
{
    // Each way a guess can be wrong, on every other cut.
    const std::vector<void (*)(Cut&)> spoils = {
        [](Cut& c) { c.dir = (c.dir + 1) % 4; },
        [](Cut& c) { c.par.c += 1; },
        [](Cut& c) { c.par.o = -c.par.o; },
        [](Cut& c) { c.len += std::string("w\0" "9\0", 4); },
        [](Cut& c) { c.len.clear(); },
    };
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::string src = source(seed, 300);
        Options one;
        one.threads = 1;
        Reader whole;
        whole.mem = src;
        Texts serial = passes(whole, one, [](std::vector<Cut>&) {});
        for (std::size_t k = 0; k < spoils.size(); ++k) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", spoil " + std::to_string(k));
            Reader in;
            in.mem = src;
            Options opt;
            opt.threads = 2;
            opt.piece = 1;
            std::size_t spoilt = 0;
            Texts r = passes(in, opt, [&](std::vector<Cut>& cuts) {
                for (std::size_t j = 0; j < cuts.size(); j += 2, ++spoilt)
                    spoils[k](cuts[j]);
            });
            EXPECT_GT(spoilt, 5u);
            same(r, serial);
        }
    }
}

TEST(Pieces, FromAFileReadByPosition)
{
    // Blocks of the reader end inside lines, carriage returns and an
    // overlong line among them; a byte-order mark opens the file.
    std::string src = "\xef\xbb\xbf" + source(7, 9000);
    for (std::size_t at = 60000; at < src.size(); at += 65536)
        src.insert(at, "g (A)\r\nr (" + std::string(1500, '2') + ")\r\n");
    auto path = std::filesystem::temp_directory_path() / "quillard-pieces.qld";
    std::ofstream(path, std::ios::binary) << src;
    Options one;
    one.threads = 1;
    Reader whole;
    whole.mem = src;
    Texts serial = passes(whole, one, [](std::vector<Cut>&) {});
    for (std::size_t piece : {1, 5000, 100000}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        Reader in;
        in.fp = std::fopen(path.c_str(), "rb");
        ASSERT_NE(in.fp, nullptr);
        Options opt;
        opt.threads = 2;
        opt.piece = piece;
        std::size_t cuts = 0;
        Texts r = passes(in, opt, [&](std::vector<Cut>& c) { cuts = c.size(); });
        std::fclose(in.fp);
        EXPECT_GT(cuts, 0u);
        EXPECT_FALSE(in.error);
        same(r, serial);
    }
    std::filesystem::remove(path);
}

// A reader by position from the start of the file reads the lines the
// stream reader reads: the byte-order mark dropped, carriage returns before
// newlines too, lines across blocks and overlong ones in the same pieces.
TEST(Pieces, ReaderByPositionFromTheStartReadsAsTheStream)
{
    std::string src = "\xef\xbb\xbf" + source(3, 9000) + "r (1)\r";
    auto path = std::filesystem::temp_directory_path() / "quillard-bypos.qld";
    std::ofstream(path, std::ios::binary) << src;
    auto lines = [](Reader& in) {
        std::vector<std::pair<std::string, bool>> v;
        std::string buf;
        std::string_view line;
        while (rdview(in, line, buf))
            v.emplace_back(std::string(line), in.nul);
        return v;
    };
    Reader stream;
    stream.fp = std::fopen(path.c_str(), "rb");
    ASSERT_NE(stream.fp, nullptr);
    Reader bypos;
    bypos.fd = ::fileno(stream.fp);
    auto want = lines(stream);
    auto got = lines(bypos);
    std::fclose(stream.fp);
    std::filesystem::remove(path);
    ASSERT_GT(want.size(), 9000u);
    EXPECT_NE(want.front().first.substr(0, 3), "\xef\xbb\xbf");
    EXPECT_TRUE(got == want);
}

TEST(Pieces, LengthTablesPackedAndLoaded)
{
    Lengths len;
    for (const char* line : {"$a = 1", "$bb = -2.5", "$a = 3", "$c = $bb"}) {
        int err = 0;
        setlen(0, line, len, err);
    }
    Lengths back;
    lenload(lenpack(len), back);
    ASSERT_EQ(back.nlen, len.nlen);
    for (int j = 0; j < len.nlen; ++j) {
        EXPECT_EQ(back.lenname[j], len.lenname[j]);
        EXPECT_EQ(back.lenval[j], len.lenval[j]);
        // Each value's number beside its text, as both set and loaded.
        EXPECT_EQ(back.lennum[j], tonum(len.lenval[j]));
        EXPECT_EQ(len.lennum[j], tonum(len.lenval[j]));
        EXPECT_EQ(findlen(back, len.lenname[j]), findlen(len, len.lenname[j]));
    }
    EXPECT_EQ(lenpack(back), lenpack(len));
    lenload("", back);
    EXPECT_EQ(back.nlen, 0);
}

}  // namespace
