#include "quillard.h"

Sink term;

namespace {

constexpr std::size_t CHUNK = 1 << 18;

bool drain(Sink& sink)
{
    if (sink.fp != nullptr && !sink.buf.empty()) {
        if (std::fwrite(sink.buf.data(), 1, sink.buf.size(), sink.fp) != sink.buf.size())
            sink.error = true;
        sink.buf.clear();
    }
    return !sink.error;
}

}  // namespace

// Appends text to the sink; a stream's sink writes out in large chunks.
void put(Sink& sink, std::string_view text)
{
    sink.buf.append(text);
    if (sink.fp != nullptr && sink.buf.size() >= CHUNK)
        drain(sink);
}

void putnum(Sink& sink, int n)
{
    std::string s;
    put(sink, itoa(n, s, 10));
}

// The progress number of a line: "[n]".
void progress(Sink& sink, int n)
{
    char text[16];
    char* end = text + sizeof text;
    char* p = end;
    *--p = ']';
    auto m = static_cast<unsigned>(n);
    do {
        *--p = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m > 0);
    *--p = '[';
    put(sink, std::string_view(p, static_cast<std::size_t>(end - p)));
}

// Writes out what is buffered and flushes the stream.
bool flush(Sink& sink)
{
    drain(sink);
    if (sink.fp != nullptr && std::fflush(sink.fp) != 0)
        sink.error = true;
    return !sink.error;
}
