// The playground's entry into the translator: one in-memory translation per
// call, its picture and transcript kept here until the next call so that the
// page can copy them out of the WebAssembly memory.
#include "quillard.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {
std::string picture;
std::string transcript;
std::vector<std::size_t> ends;
std::vector<std::uint32_t> ends32;
}

extern "C" {

// Translates len bytes of source with clen bytes of configuration text.
// flags: 1 for -h, 2 for -b, 4 for -B, 8 for -s, 16 for -n; 32 for
// --quiet, the transcript then being the messages a quiet run writes for a
// source named source.qld; 64 records where each source line's LaTeX ends
// in the picture.  Returns the exit status of the run.
EMSCRIPTEN_KEEPALIVE int qld_translate(const char* src, int len, const char* conf, int clen,
                                       int flags)
{
    Options opt;
    opt.hopt = (flags & 1) != 0;
    opt.boxopt = (flags & 4) ? 2 : (flags & 2) ? 1 : 0;
    opt.sopt = (flags & 8) != 0;
    opt.nopt = (flags & 16) != 0;
    opt.quiet = (flags & 32) != 0;
    ends.clear();
    if (flags & 64)
        opt.ends = &ends;
    int status = translate(std::string_view(src, static_cast<std::size_t>(len)),
                           std::string_view(conf, static_cast<std::size_t>(clen)), opt, picture,
                           transcript);
    ends32.assign(ends.begin(), ends.end());
    return status;
}

EMSCRIPTEN_KEEPALIVE const char* qld_picture() { return picture.data(); }
EMSCRIPTEN_KEEPALIVE int qld_picture_size() { return static_cast<int>(picture.size()); }
EMSCRIPTEN_KEEPALIVE const char* qld_transcript() { return transcript.data(); }
EMSCRIPTEN_KEEPALIVE int qld_transcript_size() { return static_cast<int>(transcript.size()); }
// The ends of the lines' LaTeX in bytes of the picture (flag 64).
EMSCRIPTEN_KEEPALIVE const std::uint32_t* qld_ends() { return ends32.data(); }
EMSCRIPTEN_KEEPALIVE int qld_ends_size() { return static_cast<int>(ends32.size()); }

}
