#include "quillard.h"

Sink term;

namespace {

constexpr std::size_t CHUNK = 1 << 16;

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

// Writes out what is buffered and flushes the stream.
bool flush(Sink& sink)
{
    drain(sink);
    if (sink.fp != nullptr && std::fflush(sink.fp) != 0)
        sink.error = true;
    return !sink.error;
}
