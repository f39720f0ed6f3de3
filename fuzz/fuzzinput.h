// The input layout of the fuzz target and the checks every translation must
// pass, shared by the target and by the regression tests that replay the
// inputs it found (tests/hostile).
//
// Input layout:
//   byte 0      option bits: 0x01 -h, 0x02 -n, 0x04 -b, 0x08 -B (both: -B),
//               0x10 -s, 0x20 a configuration text comes first
//   bytes 1...  with 0x20: the configuration text, the separator "\n=====\n",
//               then the source; without the separator (or without 0x20)
//               everything is the source.
#ifndef QUILLARD_FUZZINPUT_H
#define QUILLARD_FUZZINPUT_H

#include "quillard.h"
#include "twopass.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzzinput {

constexpr std::string_view SEPARATOR = "\n=====\n";
constexpr std::string_view WARNING = "Warning:  Quillard ended unsuccessfully.";
constexpr std::string_view TRAILER = "\\end{picture}\n";

struct Input {
    Options opt;
    std::string_view conf;
    std::string_view source;
};

inline Input decode(std::string_view data)
{
    Input in;
    if (data.empty())
        return in;
    const auto bits = static_cast<unsigned char>(data[0]);
    in.opt.hopt = (bits & 0x01) != 0;
    in.opt.nopt = (bits & 0x02) != 0;
    in.opt.boxopt = (bits & 0x08) != 0 ? 2 : (bits & 0x04) != 0 ? 1 : 0;
    in.opt.sopt = (bits & 0x10) != 0;
    std::string_view rest = data.substr(1);
    in.source = rest;
    if ((bits & 0x20) != 0) {
        std::size_t at = rest.find(SEPARATOR);
        if (at != std::string_view::npos) {
            in.conf = rest.substr(0, at + 1);   // its last line keeps the newline
            in.source = rest.substr(at + SEPARATOR.size());
        }
    }
    return in;
}

// A number of the output format: optional '-', digits, optionally a point
// and digits; never an exponent.  Advances i past it.
inline bool fixednumber(std::string_view s, std::size_t& i)
{
    if (i < s.size() && s[i] == '-')
        ++i;
    std::size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    if (i == start)
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        std::size_t frac = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        if (i == frac)
            return false;
    }
    return true;
}

inline bool literal(std::string_view s, std::size_t& i, std::string_view what)
{
    if (s.substr(i, what.size()) != what)
        return false;
    i += what.size();
    return true;
}

// True when out opens with "\begin{picture}(W,H)(X0,Y0)" and a newline, the
// four numbers in fixed notation.
inline bool goodheader(std::string_view out)
{
    std::size_t i = 0;
    return literal(out, i, "\\begin{picture}(") && fixednumber(out, i) &&
           literal(out, i, ",") && fixednumber(out, i) && literal(out, i, ")(") &&
           fixednumber(out, i) && literal(out, i, ",") && fixednumber(out, i) &&
           literal(out, i, ")\n");
}

// Translates the input and checks what holds for any input at all:
//   - the exit status is 0 or 1 and agrees with the closing warning;
//   - the picture opens with a header in fixed notation and ends with the
//     closing line;
//   - a second translation gives the same texts (nothing of one run leaks
//     into the next), so does one with the second pass cut into pieces on
//     several threads, and option -n changes nothing in the picture;
//   - for a clean run without -h: the line-by-line observation of the two
//     passes (twopass.h) rebuilds the very picture written, every
//     second-pass point is its first-pass twin plus the origin shift, and,
//     unless a margin is negative, every measured item lies inside the
//     header's box.
// Returns an empty text, or what went wrong.
inline std::string check(std::string_view data)
{
    if (data.empty())
        return {};
    Input in = decode(data);
    std::string out, transcript;
    int status = translate(in.source, in.conf, in.opt, out, transcript);
    if (status != 0 && status != 1)
        return "exit status " + std::to_string(status);
    if ((status == 1) != (transcript.find(WARNING) != std::string::npos))
        return "exit status " + std::to_string(status) + " disagrees with the closing warning";
    if (!goodheader(out))
        return "bad picture header: " + out.substr(0, out.find('\n'));
    if (out.size() < TRAILER.size() ||
        out.compare(out.size() - TRAILER.size(), TRAILER.size(), TRAILER) != 0)
        return "the picture does not end with \\end{picture}";
    std::string out2, transcript2;
    int status2 = translate(in.source, in.conf, in.opt, out2, transcript2);
    if (status2 != status || out2 != out || transcript2 != transcript)
        return "a second translation of the same input differs";
    // Cut into pieces wherever it can be, on three threads, the same texts.
    Options cut = in.opt;
    cut.threads = 3;
    cut.piece = 1;
    std::string outc, transcriptc;
    if (translate(in.source, in.conf, cut, outc, transcriptc) != status || outc != out ||
        transcriptc != transcript)
        return "the second pass in pieces differs from the second pass in one";
    Options flipped = in.opt;
    flipped.nopt = !flipped.nopt;
    std::string out3, transcript3;
    if (translate(in.source, in.conf, flipped, out3, transcript3) != status || out3 != out)
        return "option -n changes the picture or the exit status";

    // Quiet, the picture and the status are the same, and the messages of
    // the source come one to a line, each with its line number, in order.
    Options quiet = in.opt;
    quiet.quiet = 1;
    std::string out4, errs;
    if (translate(in.source, in.conf, quiet, out4, errs, "s.qld") != status || out4 != out)
        return "--quiet changes the picture or the exit status";
    long long last = 0;
    for (std::size_t at = 0; at < errs.size();) {
        std::size_t end = errs.find('\n', at);
        if (end == std::string::npos)
            return "a quiet message without its newline";
        std::string_view msg(errs.data() + at, end - at);
        at = end + 1;
        if (msg.substr(0, 10) == ".quillard:")
            continue;
        if (msg.substr(0, 6) != "s.qld:")
            return "a quiet message without its file: " + std::string(msg);
        long long n = std::atoll(std::string(msg.substr(6)).c_str());
        if (n < last || n < 1)
            return "quiet messages out of line order at: " + std::string(msg);
        last = n;
    }

    if (status != 0 || in.opt.hopt)
        return {};
    const twopass::Observation ob = twopass::observe(in.source, in.conf, in.opt);
    if (ob.picture != out)
        return "the line-by-line observation does not rebuild the picture";
    if (!ob.clean)
        return "a clean run whose lines are not all clean";
    // Numbers beyond 12 significant digits carry a relative error.
    std::string bad = twopass::shifted(ob, 1e-9, 1e-12);
    if (!bad.empty())
        return bad;
    const Params& m = ob.margins;
    if (m.t >= 0 && m.b >= 0 && m.l >= 0 && m.r >= 0)
        return twopass::inside(ob, 1e-11);
    return {};
}

}  // namespace fuzzinput

#endif
