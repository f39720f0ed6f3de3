// Quillard: translates a line-oriented picture language into one LaTeX
// picture environment.  This header holds every type and declaration the
// translator shares: the state the driver owns, the two dispatchers, the
// scanners, the command handlers and the writers.
#ifndef QUILLARD_H
#define QUILLARD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// ---------------------------------------------------------------- limits

constexpr int MAXLAB = 200;    // coordinate labels
constexpr int MAXLEN = 200;    // length variables
constexpr int MAXNAME = 30;    // characters of a name or a number text
constexpr int MAXREAD = 1002;  // characters one read of a line delivers
constexpr int NAMEIDX = 512;   // buckets of a table's name index (a power of two)
constexpr int NODEBUCKETS = 256;   // x buckets of the sorted circle nodes

// A hash index of the names of a table, for lookups that take the first
// slot of a name without comparing every name before it.  A bucket holds
// the slot plus one, 0 when empty; a name is entered once, for its first
// slot.  nidx is the number of slots entered: the index is used only while
// it equals the table's count, so that a table filled or emptied by other
// means is searched slot by slot until it is indexed again.
struct Nameidx {
    std::array<std::uint8_t, NAMEIDX> bucket{};
    int nidx = 0;
};
static_assert(MAXLAB < 256 && MAXLEN < 256, "a bucket holds a slot plus one in a byte");

// ------------------------------------------------------------ line access

// Character i of a line, or '\0' past its end: the scanners treat the end
// of the text like any character that is not allowed, and never read past it.
inline char at(std::string_view line, std::size_t i)
{
    return i < line.size() ? line[i] : '\0';
}

inline bool isblank_(char ch) { return ch == ' ' || ch == '\t'; }
inline bool isdigit_(char ch) { return ch >= '0' && ch <= '9'; }

// A character that starts a number operand rather than a label name.
inline bool numstart(char ch) { return isdigit_(ch) || ch == '.' || ch == '-' || ch == '$'; }

// Index of the first character at or after i that is not a blank or tab.
inline std::size_t skipbl(std::string_view line, std::size_t i)
{
    while (isblank_(at(line, i)))
        ++i;
    return i;
}

// True when the text at i is the end of a command line: the newline or a
// "%%" trailing comment.  The end of the text (a last line without its
// newline) does not count.
inline bool lineend(std::string_view line, std::size_t i)
{
    char ch = at(line, i);
    return ch == '\n' || (ch == '%' && at(line, i + 1) == '%');
}

// ------------------------------------------------------------ text output

// Writers that put many short pieces together make room for them once
// (start: at most n characters), write the pieces there with chars and
// fmtnum, and append what they wrote to the text in one go (finish).  Room
// of up to LOCAL characters is the writer's own, on its stack: room made in
// the string would first be filled with zeros, which costs more than the
// copy.  More than that is made at the end of the string itself.
struct Room {
    static constexpr std::size_t LOCAL = 512;
    char local[LOCAL];
    bool instring = false;
};
inline char* start(Room& r, std::string& s, std::size_t n)
{
    r.instring = n > Room::LOCAL;
    if (!r.instring)
        return r.local;
    std::size_t old = s.size();
    s.resize(old + n);
    return s.data() + old;
}
inline void finish(Room& r, std::string& s, const char* end)
{
    if (r.instring)
        s.resize(static_cast<std::size_t>(end - s.data()));
    else
        s.append(r.local, static_cast<std::size_t>(end - r.local));
}
inline char* chars(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}
inline char* chars(char* p, char ch)
{
    *p = ch;
    return p + 1;
}

// The longest text of a number in the output format: values of 10^7 and
// more are written in full, at most 309 digits and a sign for a double.
constexpr std::size_t MAXNUM = 320;

// The room a number's text takes at most: below 10^7 in magnitude, a sign,
// seven digits, the point and five decimals fit in FASTNUM; anything else
// (larger, infinite, not a number) in MAXNUM.  Writers that format numbers
// straight into their text make this much room for each.
constexpr std::size_t FASTNUM = 16;
inline std::size_t numroom(double x)
{
    return x > -1e7 && x < 1e7 ? FASTNUM : MAXNUM;
}

// Unit vector of a direction.
inline double unitx(int dir) { return dir == 0 ? 1.0 : dir == 2 ? -1.0 : 0.0; }
inline double unity(int dir) { return dir == 1 ? 1.0 : dir == 3 ? -1.0 : 0.0; }

// Slope pair of a direction, as written in "\line(sx,sy)".
inline int slopex(int dir) { return dir == 0 ? 1 : dir == 2 ? -1 : 0; }
inline int slopey(int dir) { return dir == 1 ? 1 : dir == 3 ? -1 : 0; }

// Writes the slope pair "sx,sy" at p, each from -9 to 9.
inline char* slopes(char* p, int sx, int sy)
{
    if (sx < 0)
        *p++ = '-';
    *p++ = static_cast<char>('0' + (sx < 0 ? -sx : sx));
    *p++ = ',';
    if (sy < 0)
        *p++ = '-';
    *p++ = static_cast<char>('0' + (sy < 0 ? -sy : sy));
    return p;
}

// Direction of a line command letter (0 right, 1 up, 2 left, 3 down), or -1.
inline int linedir(char ch)
{
    switch (ch) {
    case 'r': case 'R': return 0;
    case 'u': case 'U': return 1;
    case 'l': case 'L': return 2;
    case 'd': case 'D': return 3;
    default: return -1;
    }
}

// Index of the command character of a line, after its indentation and an
// optional '-' (which sets minus) with the blanks after it.
inline std::size_t cmdpos(std::string_view line, int& minus)
{
    std::size_t i = skipbl(line, 0);
    minus = at(line, i) == '-';
    return minus ? skipbl(line, i + 1) : i;
}

// True for the command characters that accept the '-' prefix: the line
// commands, the boxes, the sampler, the marks and the parameter command.
inline bool takesminus(char ch)
{
    return linedir(ch) >= 0 || ch == 'b' || ch == 'B' || ch == 's' || ch == 'p' || ch == 'm' ||
           ch == '\\';
}

// ------------------------------------------------------------- the state

// Coordinate labels: defined in the first pass, read in the second.
struct Labels {
    std::array<std::string, MAXLAB> labname;
    std::array<double, MAXLAB> labx{};
    std::array<double, MAXLAB> laby{};
    std::array<int, MAXLAB> labattr{};   // 1 for the circle nodes of 'a'
    int nlab = 0;
    Nameidx idx;
    // The circle nodes sorted by x, for the stops of the line commands: built
    // by nodes() once the labels are final.  -1: not built (a label was
    // defined since), and the stops search the whole table.  nodefirst[b]
    // is the first sorted node in x bucket b or after it; the buckets divide
    // the nodes' span evenly from nodebase, nodescale of them per unit.
    std::array<double, MAXLAB> nodex{};
    std::array<double, MAXLAB> nodey{};
    int nnode = -1;
    std::array<std::uint8_t, NODEBUCKETS> nodefirst{};
    double nodebase = 0, nodescale = 0;
};

// Length variables: named decimal texts, rebuilt in each pass.
struct Lengths {
    std::array<std::string, MAXLEN> lenname;
    std::array<std::string, MAXLEN> lenval;
    std::array<double, MAXLEN> lennum{};   // tonum of each value, read once
    int nlen = 0;
    Nameidx idx;
};

// The fourteen drawing parameters.
struct Params {
    double t, b, l, r;   // margins of the picture frame
    double a;            // radius of node circles
    double k;            // diameter of knot dots
    double p, v;         // set-back and offset of plus and minus marks
    double c;            // annotation clearance
    double d;            // dash length of dashed boxes
    double s;            // default gap of the sample command
    double e;            // room for the head of a dashed arrow
    double i;            // dash length of dashed lines
    double o;            // gap between the dashes of dashed lines
};

// The points the commands move: the current point, the reference point where
// the next text annotation goes, and the current point before the latest
// drawing or moving command.
struct Points {
    double curx = 0, cury = 0;
    double refx = 0, refy = 0;
    double lastx = 0, lasty = 0;
};

// Extents of the drawing, grown in the first pass.
struct Extents {
    double xmax = 0, ymax = 0, xmin = 0, ymin = 0;
};

// Command-line options.
struct Options {
    int hopt = 0;     // -h: line-number annotations
    int nopt = 0;     // -n: line counts instead of progress numbers
    int boxopt = 0;   // -b: 1, -B: 2
    int sopt = 0;     // -s: sample strokes as staircases
    int quiet = 0;    // --quiet: no transcript, each error once as FILE:LINE: message
    int noback = 0;   // --no-backup: no .org of an existing output
    int ifclean = 0;  // --if-clean: the output is written only by a run without errors
    int mkdir = 0;    // --mkdir: the output's missing folders are made first
    std::string output;   // --output: the output file, "-" for standard output
    // When set, the second pass records where each source line's LaTeX ends
    // in an in-memory picture: first the end of the header, then the end of
    // every line's output (its annotation under -h included).
    std::vector<std::size_t>* ends = nullptr;
    // The second pass of a large source runs in pieces on several threads
    // (see pass2): threads is how many at most (0: as many as the machine
    // has, at most MAXTHREADS; 1: none but the run's own), piece the bytes
    // of source a piece holds at least (0: a 32nd of the source, from
    // MINPIECE to PIECE).
    int threads = 0;
    std::size_t piece = 0;
};

constexpr int MAXTHREADS = 4;
constexpr std::size_t PIECE = std::size_t{1} << 17;
constexpr std::int64_t MINPIECE = 1 << 14;

// Line numbers: a source may have more lines than an int counts.
using Lineno = std::int64_t;

// The parameter defaults: built in, changed only by the configuration file.
extern double DEFT, DEFB, DEFL, DEFR, DEFRA, DEFRK, DEFPP, DEFPV, DEFC, DEFD,
    DEFS, DEFE, DEFI, DEFO;

Params defaults();                   // the fourteen defaults as one set
void setdefaults(const Params& def); // store a set as the defaults
void builtin();                      // restore the built-in defaults

// ------------------------------------------------------------ byte sinks

// Buffered output to a stream, or collected in memory when fp is null.
struct Sink {
    std::FILE* fp = nullptr;
    std::string buf;
    bool error = false;   // a write to fp failed
    bool tty = false;     // fp is a terminal: the transcript is shown as the run goes
    // The last progress number written, "[n]" in count[from..24), so that the
    // next one is counted on in its text; 16 bytes more, so that any number
    // can be copied as 16 bytes from its '['.
    std::int64_t counted = -1;
    std::size_t from = 1;
    char count[24 + 16] = {};
    // Progress numbers owed: those after counted, up to counted + owed, are
    // written out in one go (settle) before anything else is put in the sink,
    // rather than one by one as the lines go.
    std::int64_t owed = 0;
    // A file being written whole, whose written blocks are handed to the
    // disk as the run goes (see drain): its descriptor, -1 for none, and how
    // far it has been written and handed over.
    int wbfd = -1;
    std::int64_t wrote = 0, handed = 0;
    bool bg = false;   // the file is synced on a thread of its own as it goes (bgstart)
    int errnum = 0;    // the error behind error, when known
};

constexpr std::size_t SINKBLOCK = 1 << 16;   // a stream's sink writes out in blocks this large

bool drain(Sink& sink);   // writes out what is buffered; false when a write failed
// A large picture is synced on a thread of its own while it is written
// (bgstart), each time the sink hands a block of it to the disk (bgnote),
// so that the sync at the end has little left to do.  bgstop ends the
// thread; a sync that failed leaves the sink in error, with its errnum.
void bgstart(Sink& sink);
void bgnote(std::int64_t bytes);
void bgstop(Sink& sink);
int bgsyncs();   // the syncs the thread has done since bgstart
constexpr std::int64_t BGSYNC = 1 << 20;   // sources of this size on are synced so
void putlarge(Sink& sink, std::string_view text);
// Makes room at once for what a sink may hold: about bytes, at most a
// stream's block and what may come on top of it before it is written out.
// A buffer that grows by doubling instead fills fresh memory at every step,
// and a first touch of a page costs far more than the copy.
void roomfor(Sink& sink, std::int64_t bytes);
void settle(Sink& sink);   // appends the owed progress numbers

// Appends text to the sink; a stream's sink writes out in large blocks.
inline void put(Sink& sink, std::string_view text)
{
    if (text.empty())
        return;
    if (sink.owed > 0)
        settle(sink);
    if (sink.fp != nullptr && text.size() >= SINKBLOCK) {
        putlarge(sink, text);
        return;
    }
    sink.buf.append(text.data(), text.size());
    if (sink.fp != nullptr && sink.buf.size() >= SINKBLOCK)
        drain(sink);
}
void putnum(Sink& sink, std::int64_t n);   // decimal text of n
// The progress number of a line: "[n]".  The numbers of a pass follow one
// another: each is owed until a batch of them is written (progslow).
constexpr std::int64_t OWEDMAX = 4096;
void progslow(Sink& sink, std::int64_t n);
inline void progress(Sink& sink, std::int64_t n)
{
    if (n == sink.counted + sink.owed + 1 && sink.owed < OWEDMAX && sink.from > 1 && n > 0)
        ++sink.owed;
    else
        progslow(sink, n);
}
bool flush(Sink& sink);                    // false when a write failed
void show(Sink& sink);   // flushes a terminal's sink, so that it shows how far the run got

// The terminal: banner, progress, messages and prompts.  Handlers that find
// a named label or length missing print their message here.  Each thread has
// its own: a thread that runs a piece of the second pass keeps its messages
// apart until they are put in the run's transcript in line order.
extern thread_local Sink term;

// ----------------------------------------------------------- line source

// A source read line by line, from a stream or from memory, and rewound
// between the passes.
struct Reader {
    std::FILE* fp = nullptr;
    std::string_view mem;   // used when fp is null
    std::size_t mpos = 0;
    // Read-ahead buffer of a stream, made on the first read and never filled
    // with anything but the stream's bytes: clen of them, cpos read.
    std::unique_ptr<char[]> chunk;
    std::size_t clen = 0;
    std::size_t cpos = 0;
    bool eof = false;
    bool error = false;     // a read from fp failed
    bool fresh = true;      // nothing read yet: a byte-order mark is dropped
    bool nul = false;       // the line last read holds a NUL byte
    std::size_t nulat = 0;  // the first NUL byte at or after the read position
                            // in the chunk or memory (its size: none)
    // Reading by position: a reader over the descriptor fd reads at off
    // (which a stream's other readers do not move).  base is where the
    // chunk's first byte lies in the source, at where the line last read
    // begins.
    int fd = -1;
    std::int64_t off = 0, base = 0, at = 0;
    // The newlines after the line last read, among the 64 bytes from nlbase
    // in the chunk or memory, one bit each: rdview takes the next line's end
    // from them.  Whatever else moves the read position empties them.
    std::uint64_t nlmask = 0;
    std::size_t nlbase = 0;
};

// Reads the next line into line: the characters up to and including the
// newline, at most MAXREAD of them.  A carriage return before the newline and
// a UTF-8 byte-order mark at the start are dropped, so that a file saved with
// Windows line ends reads as its twin with plain newlines.  Returns false at
// the end of the input.
bool rdline(Reader& in, std::string& line);

// Bytes after the read ones in a reader's block that the newline search may
// look at (they are zeroed after every read): it reads 64 bytes at a time.
constexpr std::size_t RDPAD = 64;

// The newlines among the 64 bytes at p, one bit each (bit k: p[k]).
inline std::uint64_t newlines(const char* p)
{
#ifdef __SSE2__
    const __m128i nl = _mm_set1_epi8('\n');
    std::uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nl)));
        m |= static_cast<std::uint64_t>(bits) << (16 * k);
    }
    return m;
#else
    std::uint64_t m = 0;
    for (int k = 0; k < 64; ++k)
        m |= static_cast<std::uint64_t>(p[k] == '\n') << k;
    return m;
#endif
}

// Index of the first newline in the n bytes at p, or n.  The bytes up to
// readable may be looked at.
inline std::size_t newline(const char* p, std::size_t n, const char* readable)
{
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i nl = _mm_set1_epi8('\n');
    for (; i < n && p + i + 16 <= readable; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nl)));
        if (m != 0) {
            std::size_t k = i + static_cast<std::size_t>(__builtin_ctz(m));
            return k < n ? k : n;
        }
    }
    if (i >= n)
        return n;
#else
    (void)readable;   // the byte-wise search needs no room after the bytes
#endif
    const void* hit = std::memchr(p + i, '\n', n - i);
    return hit == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(hit) - p);
}

// Every line that rdview does not take at once: the first of a source, a
// line that ends in a carriage return and newline, that runs on past the
// bytes read or that is too long for one read.  It moves the read position
// itself, so it empties the newlines rdview kept.
bool rdslow(Reader& in, std::string_view& line, std::string& buf);
std::size_t findnul(const char* p, std::size_t from, std::size_t n);

// The same line as a view: into the reader's own buffer when the line lies
// whole in it, else into buf, where it is put together.  The view holds
// until the next read.  Most lines lie whole in the unread bytes and end in
// a plain newline: they are taken here, in the caller's loop, every other
// line by rdslow.  The newlines of 64 bytes are found at once and kept, so
// that the next few short lines cost a bit each to find.
inline bool rdview(Reader& in, std::string_view& line, std::string& buf)
{
    if (!in.fresh) {
        bool mem = in.fp == nullptr && in.fd < 0;
        const char* base = mem ? in.mem.data() : in.chunk.get();
        std::size_t size = mem ? in.mem.size() : in.clen;
        std::size_t start = mem ? in.mpos : in.cpos;
        std::size_t avail = size - start;
        if (avail > 0) {
            std::size_t lim = avail < MAXREAD ? avail : MAXREAD;
            const char* readable = base + size + (mem ? 0 : RDPAD);
            std::size_t n;
            if (in.nlmask != 0) {
                n = in.nlbase + static_cast<std::size_t>(__builtin_ctzll(in.nlmask)) - start;
                in.nlmask &= in.nlmask - 1;
            } else if (base + start + 64 <= readable) {
                // Past the bytes read, the block holds zeros: no newline.
                std::uint64_t m = newlines(base + start);
                if (m != 0) {
                    n = static_cast<std::size_t>(__builtin_ctzll(m));
                    in.nlbase = start;
                    in.nlmask = m & (m - 1);
                } else {
                    n = lim <= 64 ? lim : 64 + newline(base + start + 64, lim - 64, readable);
                }
            } else {
                n = newline(base + start, lim, readable);
            }
            if (n < lim && (n == 0 || base[start + n - 1] != '\r')) {
                in.at = (mem ? 0 : in.base) + static_cast<std::int64_t>(start);
                (mem ? in.mpos : in.cpos) = start + n + 1;
                line = std::string_view(base + start, n + 1);
                if (in.nulat < start)
                    in.nulat = findnul(base, start, size);
                in.nul = in.nulat <= start + n;
                return true;
            }
        }
    }
    return rdslow(in, line, buf);
}
void rewind(Reader& in);
// A reader of the same source that starts at byte off, where a line of the
// first read began: lines are read from there exactly as they were then.
void readfrom(Reader& in, const Reader& src, std::int64_t off);
std::int64_t srcsize(const Reader& in);   // the bytes of the source, 0 when unknown

// ---------------------------------------------------------------- driver

// How line errors are reported: in the transcript with the line number in
// brackets, once per pass; or, quiet, once per error on a sink of their own
// as FILE:LINE: message, the form editors read.  Quiet messages are kept
// until the run ends and then written in line order, those of the first pass
// before the second pass's own on the same line; an interrupted run writes
// what it has found so far, in the same order.
struct Note {
    Lineno line = 0;
    std::size_t off = 0, len = 0;   // the message's place in Diag::text
};
struct Diag {
    int quiet = 0;
    std::string file;     // the file the lines come from
    Sink* errs = nullptr; // where quiet messages go
    std::string text;     // the quiet messages, each "FILE:LINE: ...\n"
    std::vector<Note> notes;   // in the order found
    std::size_t first = 0;     // notes of the first pass, once the second has begun
    std::size_t next = 0;      // the first of them not yet passed by the second pass
    int second = 0;            // the second pass has begun
    int conf = 0;              // the lines are a configuration file's
    // The line that defined each label and each length, by slot: kept by
    // the first pass of a quiet run, for the notes of names used above it.
    std::vector<Lineno> labline, lenline;
};

// Writes the notes first..n in line order through emit(text, size): each
// pass found its notes in line order, so this merges two runs, the first
// pass's note first where both are on one line.  It only reads memory, so
// that the interrupt handler can use it too.
template <class Emit>
void inorder(const Note* notes, std::size_t first, std::size_t n, const char* text, Emit emit)
{
    std::size_t i = 0, j = first;
    while (i < first || j < n) {
        bool one = j >= n || (i < first && notes[i].line <= notes[j].line);
        const Note& nt = one ? notes[i++] : notes[j++];
        emit(text + nt.off, nt.len);
    }
}

// A place where the second pass can be cut: the first pass found there a
// 'g' line that jumps to a label, followed by a line that sets the last
// point afresh, so that from there on the points of the second pass no
// longer depend on the lines before.  What they still depend on, the first
// pass kept as it stood before the 'g' line; a piece started from it is
// right when the lines before leave the same behind.
struct Cut {
    Lineno line = 0;        // the number of the 'g' line
    std::int64_t off = 0;   // where it begins in the source
    int dir = 0;
    Params par{};
    std::string len;        // the lengths, as lenpack writes them
};
constexpr std::size_t MAXCUTS = 1024;   // beyond, every other cut is dropped

// The length table as one text, and back: the text of equal tables is equal.
std::string lenpack(const Lengths& len);
void lenload(std::string_view text, Lengths& len);

// Everything a run carries from line to line and from pass to pass.
struct State {
    Labels lab;
    Lengths len;
    Params par{};
    Points pt;
    Extents ext;
    int dir = 0;
    int failed = 0;
    Diag diag;
    std::vector<Cut> cuts;   // where the second pass may be cut, found by the first
};

int quillard(int argc, char** argv);   // the whole program; returns the exit status
std::string_view banner();

// The first pass: checks every line, defines the labels, measures the
// drawing.  Progress and messages go to term.
void pass1(Reader& src, State& st, const Options& opt);

// Between the passes: lengths emptied, direction and ten parameters reset,
// the origin shifted (labels and current point), the reference point set.
void between(State& st);

// The second pass: shifts the origin, writes the picture header, every
// line's LaTeX and the closing line to out.
void pass2(Reader& src, State& st, Sink& out, const Options& opt);

// Lines of the second pass: those after line from, up to and including line
// to (to the end of the source when to is negative).  from ends as the
// number of the last line read; first is the error code of the first line.
struct Span {
    Lineno from = 0, to = -1;
    int first = 0;
};
void lines2(Reader& src, State& st, Sink& out, const Options& opt, Span& span);

// The second pass in pieces on several threads, from the cuts the first
// pass found, when the run allows it: the same picture, transcript and
// state as lines2 over the whole source leaves, written to out and term in
// order.  Returns the number of lines read, or -1 when it did not run.
Lineno pieces(Reader& src, State& st, Sink& out, const Options& opt);

// Whether the second pass can be cut for this run: a transcript, no record
// of line ends, and more than one thread.
int nthreads(const Options& opt);

// Applies one line of the configuration file to a set of defaults.
void config(std::string_view line, Params& def, const Lengths& len, int& errcode);

// Reads the configuration file, if there is one, into the defaults.  Returns
// 1 when it held an error.  With a quiet Diag, each bad line is reported on
// its sink under the file's path instead of the one summary message.
int rdconfig(Diag* quiet = nullptr);
int applyconf(Reader& in, State* quiet = nullptr);

// The whole translation of an in-memory source (and configuration text),
// with the picture and the transcript after the banner returned as texts.
// With opt.quiet, transcript is instead what a quiet run of the program on a
// source of that name writes on standard error.  Returns the exit status.
int translate(std::string_view source, std::string_view conf, const Options& opt,
              std::string& out, std::string& transcript, std::string_view name = "source.qld");

// Prints the driver's message for an error code after a line; a warning
// (-1) becomes 0.  The first pass has no message for the direction error.
void report(int& errcode, Lineno lineno, int pass);

// The message of an error code without its line number ("Syntax error"), or
// null where the handler prints the message itself or the pass has none.
const char* errtext(int errcode, int pass);

// Reports the error of a line as the run's Diag says.  mark is where the
// terminal's text stood before the line was dispatched: what a handler
// printed after it is the first half of its message.  A warning becomes 0.
// The state after the line tells the values a quiet message names.
void lineerr(State& st, int& errcode, Lineno lineno, int pass, std::string_view line,
             std::size_t mark);

// Keeps one quiet message of a line, where the interrupt handler finds it.
void addnote(Diag& diag, Lineno lineno, std::string_view msg);
// Writes the quiet messages kept so far in line order and forgets them.
void tellall(Diag& diag);
// Replaces the text of note k (a whole message, newline included).
void renote(Diag& diag, std::size_t k, std::string_view msg);
// Adds to the note of an undefined label or length how many lines further
// down it is defined, or, when it is defined nowhere, the one defined name
// it may stand for.
void below(State& st);

// Why a line is a syntax error, as far as its shape tells; empty when it
// does not.
std::string why(std::string_view line, int conf = 0);   // conf: a configuration file's line
// The reason for a syntax error inside the operands of the command ch at i,
// once their parentheses, quotes and the line end are in order; empty when
// the operands read well.
std::string opwhy(std::string_view line, std::size_t i, char ch, int minus);

// Why a line met error 2 or 6 (the value and its range, the label and the
// way the line runs), from the line and the state after it; empty for other
// codes.
std::string reason(int errcode, std::string_view line, const State& st);

// The LaTeX characters that the text of a 'b', 'B' or 'c' line uses in a way
// LaTeX rejects or misreads, one message each ("'%' in a text starts a LaTeX
// comment; write '\%'").
std::vector<std::string> texwarn(std::string_view line);

// Output and backup names in the current directory for a source name.
std::string outname(std::string_view srcname, std::string_view ext);

// Opens a regular file for reading without waiting on a FIFO.  Returns the
// descriptor, or -1 with errno: as open sets it, EISDIR for a directory, 0
// for another file that is not regular (a FIFO, a device).
int openreg(const std::string& path);

// True when the file of this name may be replaced by a picture: there is
// none, or it is empty, or it holds a picture Quillard wrote (its first line
// begins with "\begin{picture}(").  A directory counts as true too: the
// attempt to replace it is what reports it.
bool ours(const std::string& path);

// Makes the folders of a path that do not exist yet, as mkdir -p does;
// false, with errno set, when one cannot be made or is not a folder.
bool mkdirs(const std::string& dir);

// Copies a file into a new file of the other name; false, with errno set,
// when it could not be done.
bool copyfile(const std::string& from, const std::string& to);

// The output, replaced atomically: the picture is written to a temporary
// file beside the file it replaces, synced, and renamed over it.  Until then
// the old file is untouched; on failure the temporary file is removed.
struct Outfile {
    std::string name;     // as the user named it
    std::string target;   // the file replaced: the name, or where its links lead
    std::string temp;     // the temporary file, while it exists
    bool existed = false; // the target is an existing regular file
    unsigned mode = 0;    // its permissions, which the new file keeps
    std::FILE* fp = nullptr;
};

// Finds the target; 0, or an errno value (-1: not a regular file).  bak is
// the backup's name, which a link from the output is not followed to.
int resolve(Outfile& f, const std::string& bak);
bool create(Outfile& f);             // false with errno set
bool commit(Outfile& f, Sink& sink); // writes sink out, syncs, renames; false with errno set
void discard(Outfile& f);

// Interrupts (SIGINT, SIGTERM, SIGHUP) remove the temporary files in
// progress, print one line on fd that says what was kept, and end the run
// with status 128 + the signal.  SIGXFSZ is ignored: a write past the
// file-size limit then fails with EFBIG and is reported like any other.
void trapsigs(int fd, bool quiet);
void ifkilled(const std::string& what);   // the line's end, after "Interrupted (signal)"
void temporary(int slot, const std::string* path);   // 0 output, 1 backup; null: none

// -------------------------------------------------------------- language

// A command line of one of the shapes most lines have (a line command, a
// box, an annotation, a move, a turn, a jump, a line with nothing to read),
// read in one go:
// shape() returns true only for a line the general scanners read without an
// error, with what they would find.
//
// shape() sets every member, so that a Shape it fills line after line costs
// nothing to make (its members have no initializers: zeroing it all would
// cost more than reading most lines); one filled otherwise starts as
// Shape{}.
struct Shape {
    std::size_t indent;          // the blanks before the command
    std::size_t pos;             // where its character is
    char cmd;                    // the command character ('\n' for an empty line)
    int minus;                   // a '-' before it
    int dash;                    // a '!' after a line command's letter
    int slot;                    // the label of a line command, a move or a jump, or -1
    int turn;                    // the direction a turn names
    double val[2];               // a line's length or a move's; a box's width and height;
                                 // a sampler's gap
    std::string_view text[2];    // their texts: as written, or the length's value (a
                                 // sampler's is empty when its parentheses are: the default gap)
    std::string_view contents;   // the quoted text of a box or an annotation
};
bool shape(std::string_view line, const Labels& lab, const Lengths& len, Shape& sh);
// The gap of a sampler shape() read: its operand, or s for empty parentheses.
inline double sampgap(const Shape& sh, double s) { return sh.text[0].empty() ? s : sh.val[0]; }
void scgen(std::string_view line, Labels& lab, Lengths& len, int& dir, Params& par,
           Points& pt, Extents& ext, int& errcode);   // scale by the general scanners alone
void scshape(const Shape& sh, const Labels& lab, double s, int& dir, Points& pt, Extents& ext);
void scale(std::string_view line, Labels& lab, Lengths& len, int& dir, Params& par,
           Points& pt, Extents& ext, int& errcode);
void interpret(std::string_view line, std::string& workbuf, std::string& outbuf,
               const Labels& lab, int& dir, Params& par, Points& pt, Lengths& len,
               int& drawn, int boxopt, int sopt, int& errcode);

void setlen(std::size_t pos, std::string_view line, Lengths& len, int& errcode);
void srpara(std::size_t pos, std::string_view line, std::string& buf, const Lengths& len,
            int& errcode);
void srlen(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
           int& errcode, char term, const Lengths& len);
// srlen and the value of the operand's text as tonum gives it; 0 when the
// scan met an error.
double srlval(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
              int& errcode, char term, const Lengths& len);
// srlen by its general, character-by-character path alone.
void srlslow(std::size_t& pos, std::string_view line, std::string& buf, int& comma,
             int& errcode, char term, const Lengths& len);
void param(std::size_t pos, std::string_view line, Params& par, const Lengths& len,
           int check, int minus, int& errcode);
void subparam(std::size_t pos, std::string_view line, std::string& buf, const Lengths& len,
              int& errcode, int minus, double& val, double def);
bool srname(std::string_view line, std::size_t& i, char stop, std::string& name, int& errcode);
void srlab(std::size_t& pos, std::string_view line, std::string& name, int& errcode);
double tonum(std::string_view text);   // decimal text to number
int findlab(const Labels& lab, std::string_view name);   // slot, or -1
int lookup(const Labels& lab, std::string_view name, int& errcode);   // error 4 if missing
bool srparen(std::size_t pos, std::string_view line, std::string& name, int& errcode);
void undeflab(std::string_view name);   // "Undefined label" message
int findlen(const Lengths& len, std::string_view name);  // slot, or -1
// The index of a table of n names: the first slot of a name, or -1, as the
// search from slot 0 finds it; and the entry of slot n - 1, the table's
// newest name (the index is rebuilt first when it does not cover the slots
// before it).
int findname(const Nameidx& idx, const std::string* names, int n, std::string_view name);
void addname(Nameidx& idx, const std::string* names, int n);
void undeflen(std::string_view name);   // "Undefined length" message
bool deflab(std::size_t pos, std::string_view line, Labels& lab, double curx, double cury,
            int mark, int& errcode);   // false when nothing was stored
void nodes(Labels& lab);   // sorts the circle nodes for atnode
// The x bucket of a value: any value maps to one, those outside the nodes'
// span to the first or the last.  The mapping never decreases with x.
inline int nodebucket(const Labels& lab, double x)
{
    double b = (x - lab.nodebase) * lab.nodescale;
    if (!(b > 0))
        return 0;
    return b < NODEBUCKETS - 1 ? static_cast<int>(b) : NODEBUCKETS - 1;
}
// True when a circle node lies within a of (x, y), strictly on both axes.
bool atnode(const Labels& lab, double x, double y, double a);
void scsave(std::size_t pos, std::string_view line, double curx, double cury, Labels& lab,
            Extents& ext, int& errcode);
void scadd(std::size_t pos, std::string_view line, Labels& lab, double curx, double cury,
           Extents& ext, double a, int& errcode);

// ----------------------------------------------------------------- frame

void minmax(double xmax, double ymax, double xmin, double ymin, Extents& ext);
void stfile(const Extents& ext, double t, double b, double l, double r, std::string& outbuf);
double value(double x);
void fmtnum(double x, std::string& out);   // appends x in the output number format
char* fmtnum(double x, char* p);           // writes it at p (room for numroom(x)), returns its end
void fmtslow(double x, std::string& out);  // the same, through "%.12g"
std::string numtext(double x);             // x in the output number format

// Writes "\put(x,y){" at p, the start of every picture object, in room of
// numroom(x) + numroom(y) + PUTROOM.
constexpr std::size_t PUTROOM = 8;
inline char* putxy(char* p, double x, double y)
{
    p = chars(p, "\\put(");
    p = fmtnum(x, p);
    *p++ = ',';
    p = fmtnum(y, p);
    return chars(p, "){");
}

// -------------------------------------------------------------- commands

// Lines and their writers.
// The first pass of a line command's move by a length: way is the
// direction it goes in (reversed under '-'); the segment widens the extents.
inline void stride(int way, double length, Points& pt, Extents& ext)
{
    double x0 = pt.curx, y0 = pt.cury;
    switch (way) {
    case 0: minmax(x0 + length, y0, x0, y0, ext); pt.curx = x0 + length; break;
    case 1: minmax(x0, y0 + length, x0, y0, ext); pt.cury = y0 + length; break;
    case 2: minmax(x0, y0, x0 - length, y0, ext); pt.curx = x0 - length; break;
    default: minmax(x0, y0, x0, y0 - length, ext); pt.cury = y0 - length; break;
    }
}
void scline(std::size_t pos, std::string_view line, int dir, const Labels& lab, Points& pt,
            Extents& ext, const Lengths& len, int minus, int& errcode);
void dline(int dash, int cap, std::size_t pos, std::string_view line, std::string& outbuf,
           int dir, const Labels& lab, Points& pt, const Params& par, const Lengths& len,
           int minus, int& errcode);
// The segment of a line command whose operand sh holds (the dash, the '-',
// the length and its text, or the label's slot).
void dseg(const Shape& sh, int cap, std::string& outbuf, int dir, const Labels& lab,
          Points& pt, const Params& par, int& errcode);
void subline(int arrow, std::string_view x, std::string_view y, std::string_view sx,
             std::string_view sy, std::string_view length, std::string& outbuf);
// The same from the numbers, the slopes from -9 to 9, and the length as its
// text or as a number.
void subline(int arrow, double x, double y, int sx, int sy, std::string_view length,
             std::string& outbuf);
void subline(int arrow, double x, double y, int sx, int sy, double length, std::string& outbuf);
// The slope along an axis from a to b: 1, or -1 when b lies below a (a zero
// difference counts as positive).
inline int towards(double a, double b) { return b - a < 0 ? -1 : 1; }
void linep(double a, double b, std::string& sx, std::string& sy, std::string& length);
void linev(double a, double b, std::string& sx, std::string& sy, std::string& length);
void dashed(double tx, double ty, int dir, double length, int arrow, int minus, double e,
            double i, double o, std::string& outbuf);
std::string& itoa(int n, std::string& s, int base);
void reverse(std::string& s);

// Boxes.
struct Boxgeom {
    std::string width, height;   // the operand texts, written unchanged
    std::string_view contents;   // the quoted text, in the line
    double w = 0, h = 0;         // the sizes
};
// Where a box of w by h lies when drawn from (x0, y0) in direction way:
// forward from the point, centred across the way; its lower-left corner
// and the point after it, the middle of its far side.
struct Boxpos {
    double x, y, x1, y1;
};
inline Boxpos boxpos(int way, double x0, double y0, double w, double h)
{
    switch (way) {
    case 0: return {x0, y0 - h / 2, x0 + w, y0};
    case 1: return {x0 - w / 2, y0, x0, y0 + h};
    case 2: return {x0 - w, y0 - h / 2, x0 - w, y0};
    default: return {x0 - w / 2, y0 - h, x0, y0 - h};
    }
}
// The first pass of a box of w by h drawn in direction way (reversed under
// '-'): it widens the extents and the current point moves past it.
inline void boxstep(int way, double w, double h, Points& pt, Extents& ext)
{
    Boxpos bp = boxpos(way, pt.curx, pt.cury, w, h);
    minmax(bp.x + w, bp.y + h, bp.x, bp.y, ext);
    pt.curx = bp.x1;
    pt.cury = bp.y1;
}
bool boxop(std::size_t pos, std::string_view line, const Lengths& len, Boxgeom& bg,
           int& errcode);
void scbox(std::size_t pos, std::string_view line, int dir, Points& pt, Extents& ext,
           const Lengths& len, int minus, int& errcode);
void box(std::size_t pos, std::string_view line, std::string& outbuf, int dashed, int dir,
         Points& pt, double c, double d, const Lengths& len, int minus, int boxopt,
         int& errcode);
// A box from its read operands (sh: the sizes, their texts, the contents, the
// '-') at the current point.
void boxput(const Shape& sh, int dashed, int dir, Points& pt, double c, double d, int boxopt,
            std::string& outbuf, int& errcode);
void dbox(int dashed, double dash, double x, double y, std::string_view width,
          std::string_view height, std::string_view contents, std::string& outbuf, int boxopt);
void comment(std::size_t& pos, std::string_view line, std::string_view& contents, int& errcode);

// Circles, knots, annotations, samplers, marks.
bool nodeop(std::size_t pos, std::string_view line, Points& pt, int dir, double c, int& errcode);
bool quoted(std::size_t pos, std::string_view line, std::string_view& text, int& errcode);
bool sampop(std::size_t pos, std::string_view line, double s, const Lengths& len, double& gap,
            int& errcode);
void add(std::size_t pos, std::string_view line, std::string& outbuf, int dir, Points& pt,
         double c, double a, int& errcode);
void knot(std::size_t pos, std::string_view line, std::string& outbuf, Points& pt, double c,
          int dir, double k, int& errcode);
void circle(int kind, double x, double y, double dia, std::string& outbuf);
void sccomment(std::size_t pos, std::string_view line, int& errcode);
void wcomment(std::size_t pos, std::string_view line, std::string& outbuf, double c, int dir,
              double refx, double refy, int& errcode);
void putnote(std::string_view text, std::string& outbuf, double c, int dir, double refx,
             double refy);
void scsample(std::size_t pos, std::string_view line, int dir, double s, Points& pt,
              Extents& ext, const Lengths& len, int minus, int& errcode);
void sampext(int dir, double e, int minus, Points& pt, Extents& ext);   // the first pass of gap e
void sample(std::size_t pos, std::string_view line, std::string& outbuf, int dir, double s,
            Points& pt, double c, const Lengths& len, int minus, int sopt, int& errcode);
// The second pass of a sampler of gap e.
void sampdraw(double e, std::string& outbuf, int dir, Points& pt, double c, int minus, int sopt,
              int& errcode);
void pm(int sign, std::size_t pos, std::string_view line, std::string& outbuf, int dir,
        double p, double v, double x, double y, int& errcode);

// Moves, jumps and turning.
int moveop(std::size_t pos, std::string_view line, const Labels& lab, const Lengths& len,
           double& d, int& slot, int& errcode);
bool golab(std::size_t pos, std::string_view line, const Labels& lab, int& slot, int& errcode);
void refleft(Points& pt, int dir, double c);
void scmove(std::size_t pos, std::string_view line, char letter, const Labels& lab, Points& pt,
            Extents& ext, const Lengths& len, int& errcode);
void move(std::size_t pos, std::string_view line, char letter, const Labels& lab, Points& pt,
          const Lengths& len, int& errcode);
void subcmove(std::size_t pos, std::string_view line, char letter, const Labels& lab,
              Points& pt, const Lengths& len, int& errcode);
// A move whose operand has been read: by d, or to the label in slot (>= 0).
void scshift(char letter, int slot, double d, const Labels& lab, Points& pt, Extents& ext);
void shift(char letter, int slot, double d, const Labels& lab, Points& pt);
void scgo(std::size_t pos, std::string_view line, const Labels& lab, Points& pt, int& errcode);
void go(std::size_t pos, std::string_view line, const Labels& lab, Points& pt, int dir,
        double c, int& errcode);
void scdir(std::size_t pos, std::string_view line, int& dir, int& errcode);

// LaTeX text lines.
void texcom(std::size_t pos, std::string_view line, std::string& outbuf, double curx,
            double cury, const Labels& lab, const Lengths& len, std::string& workbuf,
            int& errcode);

#endif
