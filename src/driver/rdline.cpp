#include "quillard.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

// The first NUL byte at or after from in the n bytes at p, or n.
std::size_t findnul(const char* p, std::size_t from, std::size_t n)
{
    const void* z = from < n ? std::memchr(p + from, '\0', n - from) : nullptr;
    return z == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(z) - p);
}

namespace {

constexpr std::size_t BLOCK = 1 << 16;

// Makes at least one unread byte available; false at the end of the input.
bool fill(Reader& in)
{
    if (in.cpos < in.clen)
        return true;
    if (in.eof)
        return false;
    if (!in.chunk)
        in.chunk.reset(new char[BLOCK + RDPAD]);   // no bytes written that the read does not fill
    in.base += static_cast<std::int64_t>(in.clen);
    std::size_t got = 0;
    if (in.fd >= 0) {
        // By position: a regular file gives less than asked only at its end.
        while (got < BLOCK) {
            ssize_t n = ::pread(in.fd, in.chunk.get() + got, BLOCK - got,
                                in.off + static_cast<std::int64_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                in.error = n < 0;
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        in.off += static_cast<std::int64_t>(got);
    } else {
        got = std::fread(in.chunk.get(), 1, BLOCK, in.fp);
        if (got < BLOCK && std::ferror(in.fp))
            in.error = true;
    }
    in.clen = got;
    in.cpos = 0;
    std::memset(in.chunk.get() + got, 0, RDPAD);
    in.nulat = findnul(in.chunk.get(), 0, got);
    if (got < BLOCK)
        in.eof = true;
    return got > 0;
}

// The next unread byte, or -1 at the end of the input.
int peek(Reader& in)
{
    if (in.fp == nullptr && in.fd < 0)
        return in.mpos < in.mem.size() ? static_cast<unsigned char>(in.mem[in.mpos]) : -1;
    return fill(in) ? static_cast<unsigned char>(in.chunk[in.cpos]) : -1;
}

void skip(Reader& in, std::size_t n)
{
    if (in.fp == nullptr && in.fd < 0)
        in.mpos += n;
    else
        in.cpos += n;
}

// Takes the characters up to and including the next newline, at most
// MAXREAD of them (a longer physical line comes in several reads), from the
// unread bytes at base + pos (size of them in all).  Returns the number
// taken and whether the line ended within them: at a newline, at MAXREAD
// characters, or at the end of the input when last is set.
std::size_t take(const char* base, std::size_t pos, std::size_t size, std::size_t want, bool last,
                 bool& whole)
{
    std::size_t avail = size - pos;
    std::size_t n = avail < want ? avail : want;
    const void* nl = std::memchr(base + pos, '\n', n);
    if (nl != nullptr)
        n = static_cast<std::size_t>(static_cast<const char*>(nl) - (base + pos)) + 1;
    whole = nl != nullptr || n == want || last;
    return n;
}

// Reads the raw line: a view into the chunk or the memory when it lies whole
// there, else put together in buf from the blocks it spans.
bool rawline(Reader& in, std::string_view& line, std::string& buf)
{
    bool whole = false;
    if (in.fp == nullptr && in.fd < 0) {
        if (in.mpos >= in.mem.size())
            return false;
        std::size_t start = in.mpos;
        in.at = static_cast<std::int64_t>(start);
        std::size_t n = take(in.mem.data(), start, in.mem.size(), MAXREAD, true, whole);
        in.mpos += n;
        line = in.mem.substr(start, n);
        if (in.nulat < start)
            in.nulat = findnul(in.mem.data(), start, in.mem.size());
        in.nul = in.nulat < start + n;
        return true;
    }
    if (!fill(in))
        return false;
    std::size_t start = in.cpos;
    in.at = in.base + static_cast<std::int64_t>(start);
    std::size_t n = take(in.chunk.get(), start, in.clen, MAXREAD, in.eof, whole);
    if (whole) {
        in.cpos += n;
        line = std::string_view(in.chunk.get() + start, n);
        if (in.nulat < start)
            in.nulat = findnul(in.chunk.get(), start, in.clen);
        in.nul = in.nulat < start + n;
        return true;
    }
    // The line goes on in the next block.
    buf.clear();
    while (buf.size() < MAXREAD && fill(in)) {
        n = take(in.chunk.get(), in.cpos, in.clen, MAXREAD - buf.size(), in.eof, whole);
        buf.append(in.chunk.get() + in.cpos, n);
        in.cpos += n;
        if (buf.back() == '\n')
            break;
    }
    line = buf;
    in.nul = std::memchr(buf.data(), '\0', buf.size()) != nullptr;
    return true;
}

}  // namespace

// The general way: a line as rawline reads it, with a carriage return before the newline
// taken as part of the newline: the pair counts as one character, so that
// lines are cut into the same pieces as in the file's twin with plain
// newlines.
bool rdslow(Reader& in, std::string_view& line, std::string& buf)
{
    in.nlmask = 0;
    if (in.fresh) {
        in.fresh = false;
        in.nulat = 0;
        static constexpr char BOM[] = "\xEF\xBB\xBF";
        if (in.fp == nullptr && in.fd < 0) {
            if (in.mem.substr(0, 3) == BOM)
                in.mpos = 3;
            in.nulat = findnul(in.mem.data(), in.mpos, in.mem.size());
        } else if (peek(in) == 0xEF && in.clen - in.cpos >= 3 &&
                   std::string_view(in.chunk.get() + in.cpos, 3) == BOM) {
            in.cpos += 3;
        }
    }
    if (!rawline(in, line, buf))
        return false;
    std::size_t n = line.size();
    if (n >= 2 && line[n - 1] == '\n' && line[n - 2] == '\r') {
        if (line.data() != buf.data())
            buf.assign(line);
        buf.erase(n - 2, 1);
        line = buf;
    } else if (n == MAXREAD && line[n - 1] == '\r') {
        if (line.data() != buf.data())
            buf.assign(line);   // before peek reads the next block
        line = buf;
        if (peek(in) == '\n') {
            skip(in, 1);
            buf[n - 1] = '\n';
        }
    }
    return true;
}

bool rdline(Reader& in, std::string& line)
{
    std::string_view view;
    if (!rdview(in, view, line))
        return false;
    if (view.data() != line.data())
        line.assign(view);
    return true;
}

// Back to the start of the source, for the second pass.
void rewind(Reader& in)
{
    in.mpos = 0;
    in.base = 0;
    in.off = 0;
    in.clen = 0;
    in.cpos = 0;
    in.eof = false;
    in.fresh = true;
    if (in.fp != nullptr && std::fseek(in.fp, 0, SEEK_SET) != 0)
        in.error = true;
}

void readfrom(Reader& in, const Reader& src, std::int64_t off)
{
    in = Reader{};
    in.fresh = false;   // a byte-order mark is only dropped at the start
    if (src.fp == nullptr && src.fd < 0) {
        in.mem = src.mem;
        in.mpos = static_cast<std::size_t>(off);
        in.nulat = findnul(in.mem.data(), in.mpos, in.mem.size());
    } else {
        in.fd = src.fd >= 0 ? src.fd : ::fileno(src.fp);
        in.off = off;
        in.base = off;
    }
}

// The bytes of the source: the file's size as it stands now, or the text's.
std::int64_t srcsize(const Reader& in)
{
    if (in.fp == nullptr && in.fd < 0)
        return static_cast<std::int64_t>(in.mem.size());
    struct stat sb {};
    return ::fstat(in.fd >= 0 ? in.fd : ::fileno(in.fp), &sb) == 0 ? sb.st_size : 0;
}
