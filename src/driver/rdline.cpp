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

// The next unread byte, or -1 at the end of the input.
int peek(Reader& in)
{
    if (in.fp == nullptr)
        return in.mpos < in.mem.size() ? static_cast<unsigned char>(in.mem[in.mpos]) : -1;
    return fill(in) ? static_cast<unsigned char>(in.chunk[in.cpos]) : -1;
}

void skip(Reader& in, std::size_t n)
{
    if (in.fp == nullptr)
        in.mpos += n;
    else
        in.cpos += n;
}

// Reads the characters up to and including the next newline, at most MAXREAD
// of them: a longer physical line comes in several reads.
bool rawline(Reader& in, std::string& line)
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

}  // namespace

// A line as rawline reads it, with a carriage return before the newline
// taken as part of the newline: the pair counts as one character, so that
// lines are cut into the same pieces as in the file's twin with plain
// newlines.
bool rdline(Reader& in, std::string& line)
{
    if (in.fresh) {
        in.fresh = false;
        static constexpr char BOM[] = "\xEF\xBB\xBF";
        if (in.fp == nullptr) {
            if (in.mem.substr(0, 3) == BOM)
                in.mpos = 3;
        } else if (peek(in) == 0xEF && in.chunk.size() - in.cpos >= 3 &&
                   std::string_view(in.chunk).substr(in.cpos, 3) == BOM) {
            in.cpos += 3;
        }
    }
    if (!rawline(in, line))
        return false;
    std::size_t n = line.size();
    if (n >= 2 && line[n - 1] == '\n' && line[n - 2] == '\r') {
        line.erase(n - 2, 1);
    } else if (n == MAXREAD && line[n - 1] == '\r' && peek(in) == '\n') {
        skip(in, 1);
        line[n - 1] = '\n';
    }
    return true;
}

// Back to the start of the source, for the second pass.
void rewind(Reader& in)
{
    in.mpos = 0;
    in.chunk.clear();
    in.cpos = 0;
    in.eof = false;
    in.fresh = true;
    if (in.fp != nullptr && std::fseek(in.fp, 0, SEEK_SET) != 0)
        in.error = true;
}
