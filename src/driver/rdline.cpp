#include "quillard.h"

#include <cstring>

namespace {

constexpr std::size_t BLOCK = 1 << 16;

// Makes at least one unread byte available; false at the end of the input.
bool fill(Reader& in)
{
    if (in.cpos < in.chunk.size())
        return true;
    if (in.eof)
        return false;
    in.chunk.resize(BLOCK);
    std::size_t got = std::fread(in.chunk.data(), 1, BLOCK, in.fp);
    in.chunk.resize(got);
    in.cpos = 0;
    if (got < BLOCK) {
        in.eof = true;
        if (std::ferror(in.fp))
            in.error = true;
    }
    return got > 0;
}

}  // namespace

// Reads the characters up to and including the next newline, at most MAXREAD
// of them: a longer physical line comes in several reads.
bool rdline(Reader& in, std::string& line)
{
    line.clear();
    if (in.fp == nullptr) {
        if (in.mpos >= in.mem.size())
            return false;
        std::string_view rest = in.mem.substr(in.mpos);
        std::size_t n = rest.find('\n');
        n = n == std::string_view::npos ? rest.size() : n + 1;
        if (n > MAXREAD)
            n = MAXREAD;
        line.assign(rest.substr(0, n));
        in.mpos += n;
        return true;
    }
    while (line.size() < MAXREAD && fill(in)) {
        std::size_t want = MAXREAD - line.size();
        std::size_t avail = in.chunk.size() - in.cpos;
        std::size_t n = avail < want ? avail : want;
        const char* start = in.chunk.data() + in.cpos;
        const void* nl = std::memchr(start, '\n', n);
        if (nl != nullptr)
            n = static_cast<std::size_t>(static_cast<const char*>(nl) - start) + 1;
        line.append(start, n);
        in.cpos += n;
        if (nl != nullptr)
            break;
    }
    return !line.empty();
}

// Back to the start of the source, for the second pass.
void rewind(Reader& in)
{
    in.mpos = 0;
    in.chunk.clear();
    in.cpos = 0;
    in.eof = false;
    if (in.fp != nullptr && std::fseek(in.fp, 0, SEEK_SET) != 0)
        in.error = true;
}
