#include "quillard.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <utility>

#ifdef __linux__
#include <fcntl.h>

namespace {
// Bytes of a file written whole that are handed to the disk at a time: a
// picture of a few megabytes starts on its way while the second pass still
// runs, which takes a few milliseconds off the sync at the end.
constexpr std::int64_t HANDOVER = std::int64_t{1} << 20;
}  // namespace
#endif

thread_local Sink term;

namespace {

// Writes n bytes at p to the sink's stream.
void emit(Sink& sink, const char* p, std::size_t n)
{
    if (std::fwrite(p, 1, n, sink.fp) != n) {
        if (!sink.error)
            sink.errnum = errno;
        sink.error = true;
    }
    sink.wrote += static_cast<std::int64_t>(n);
}

}  // namespace

// A text of a block or more goes to the stream as it is, after what is
// buffered, rather than through the buffer.
void putlarge(Sink& sink, std::string_view text)
{
    drain(sink);
    emit(sink, text.data(), text.size());
    drain(sink);   // hands the blocks to the disk as drain does
}

void roomfor(Sink& sink, std::int64_t bytes)
{
    // On top of a block: the owed progress numbers, at most 16 bytes each,
    // and a line's text.
    constexpr std::int64_t most = static_cast<std::int64_t>(SINKBLOCK + 16 * OWEDMAX + 65536);
    if (bytes > 0)
        sink.buf.reserve(static_cast<std::size_t>(std::min(bytes, most)));
}

bool drain(Sink& sink)
{
    settle(sink);
    if (sink.fp != nullptr) {
        if (!sink.buf.empty())
            emit(sink, sink.buf.data(), sink.buf.size());
        sink.buf.clear();
#ifdef __linux__
        // The blocks written so far start on their way to the disk while the
        // run goes on, so that the sync at the end has little left to wait
        // for.  Only a hint: the sync is what makes the file durable.
        if (sink.wbfd >= 0 && sink.wrote - sink.handed >= HANDOVER && !sink.error &&
            std::fflush(sink.fp) == 0) {
            ::sync_file_range(sink.wbfd, sink.handed, sink.wrote - sink.handed,
                              SYNC_FILE_RANGE_WRITE);
            sink.handed = sink.wrote;
            if (sink.bg)
                bgnote(sink.handed);
        }
#endif
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

namespace {

constexpr std::size_t END = 23;   // where the ']' of a progress number stands

// Writes "[n]" afresh at the end of the sink's count text; returns where the
// '[' stands.
[[gnu::noinline]] std::size_t count(Sink& sink, std::int64_t n)
{
    char* text = sink.count;
    std::size_t p = END;
    text[END] = ']';
    auto m = static_cast<std::uint64_t>(n);
    do {
        text[--p] = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m > 0);
    text[--p] = '[';
    return p;
}

// Counts a progress number on by one, in place in a count text whose '['
// stands at p; returns where the '[' stands then.
std::size_t bump(char* text, std::size_t p)
{
    std::size_t d = END - 1;
    while (d > p && text[d] == '9')
        text[d--] = '0';
    if (d > p) {
        ++text[d];
    } else {
        text[p] = '1';   // one digit more, where the '[' stood
        text[--p] = '[';
    }
    return p;
}

}  // namespace

// The owed numbers are counted on in the sink's count text, put together
// on the stack and appended a few thousand bytes at a time.  Each is copied
// as the 16 bytes from its '[' (a number below 10^14 and its brackets fit),
// and the next one overwrites what is not its own.  A number that ends in 0
// opens ten that differ in their last digit only: they are copied ten
// times with that digit set, and the count text is left at the tenth.
void settle(Sink& sink)
{
    char room[4096];
    constexpr std::size_t TEN = 10 * 16 + sizeof sink.count;   // what ten numbers may take
    std::size_t used = 0;
    char* text = sink.count;
    std::size_t p = sink.from - 1;   // the '[' of the last number
    for (std::int64_t k = 0; k < sink.owed;) {
        if (used > sizeof room - TEN)
            sink.buf.append(room, std::exchange(used, 0));
        p = bump(text, p);
        std::size_t n = END + 1 - p;
        if (text[END - 1] == '0' && n <= 16 && sink.owed - k >= 10) {
            for (char d = '0'; d <= '9'; ++d) {
                std::memcpy(room + used, text + p, 16);
                room[used + n - 2] = d;
                used += n;
            }
            text[END - 1] = '9';
            k += 10;
            continue;
        }
        if (n <= 16)
            std::memcpy(room + used, text + p, 16);
        else
            std::memcpy(room + used, text + p, n);
        used += n;
        ++k;
    }
    sink.buf.append(room, used);
    sink.from = p + 1;
    sink.counted += sink.owed;
    sink.owed = 0;
}

// A progress number that does not follow the owed ones, or one too many of
// them: the owed ones are written, then "[n]", counted on from the last one
// where it follows it.
void progslow(Sink& sink, std::int64_t n)
{
    settle(sink);
    std::size_t p;
    if (n > 0 && n == sink.counted + 1 && sink.from > 1)
        p = bump(sink.count, sink.from - 1);
    else
        p = count(sink, n);
    sink.from = p + 1;
    sink.counted = n;
    sink.buf.append(sink.count + p, END + 1 - p);
    if (sink.fp != nullptr && sink.buf.size() >= SINKBLOCK)
        drain(sink);
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
