#include "quillard.h"

#include <charconv>

Sink term;

bool drain(Sink& sink)
{
    if (sink.fp != nullptr && !sink.buf.empty()) {
        if (std::fwrite(sink.buf.data(), 1, sink.buf.size(), sink.fp) != sink.buf.size())
            sink.error = true;
        sink.buf.clear();
    }
    return !sink.error;
}

void putnum(Sink& sink, std::int64_t n)
{
    char text[24];
    auto [end, ec] = std::to_chars(text, text + sizeof text, n);
    (void)ec;
    put(sink, std::string_view(text, static_cast<std::size_t>(end - text)));
}

// The progress number of a line: "[n]".
void progress(Sink& sink, std::int64_t n)
{
    char text[24];
    char* end = text + sizeof text;
    char* p = end;
    *--p = ']';
    auto m = static_cast<std::uint64_t>(n);
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

// A terminal is shown the transcript as the run goes: at the end of each pass
// and with every message, so that an interrupted run shows how far it got.
// Other streams keep their large buffer.
void show(Sink& sink)
{
    if (sink.tty)
        flush(sink);
}
