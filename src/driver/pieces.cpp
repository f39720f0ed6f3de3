#include "quillard.h"

#include <algorithm>

#ifndef __EMSCRIPTEN__
#include <condition_variable>
#include <functional>
#include <csignal>
#include <mutex>
#include <thread>

#include <pthread.h>
#endif

// The second pass of a large source in pieces, several at a time.
//
// The first pass marks cuts: a 'g' line followed by a line that sets the
// last point afresh.  From such a cut on, the second pass depends on the
// lines before only through the direction, the ten parameters it resets and
// the length table (the points are all set anew by the two lines, the
// labels are final, the margins are not read); the first pass kept those as
// they stood at the cut.  Each piece, from a cut to the next, is translated
// from that guess on a thread of its own, into memory.  The pieces are then
// taken in order: a piece whose guess equals what the pieces before it
// really left (and whose 'g' line found its label) is exactly what one
// thread would have written, and its text, messages and state are taken as
// they are; any other piece is translated again from the true state.  So the
// picture, the transcript and the state are those of one thread, byte for
// byte, whatever the guesses were.

int nthreads(const Options& opt)
{
    if (opt.quiet || opt.ends != nullptr)
        return 1;
#ifdef __EMSCRIPTEN__
    return 1;
#else
    if (opt.threads > 0)
        return std::min(opt.threads, MAXTHREADS);
    unsigned hw = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(hw), 1, MAXTHREADS);
#endif
}

#ifdef __EMSCRIPTEN__

Lineno pieces(Reader&, State&, Sink&, const Options&)
{
    return -1;
}

#else

namespace {

// A translated piece, in memory until its turn.
struct Piece {
    std::size_t index = 0;
    bool done = false;
    std::string out, msgs;   // its picture text and its transcript
    int dir = 0;
    Params par{};
    Lengths len;
    Points pt;
    int failed = 0;
    int first = 0;     // the error code of its first line
    bool error = false;   // a read failed
    Lineno last = 0;      // the number of its last line
};

struct Shared {
    State start;   // the state the pass starts from (the run's own goes on)
    const std::vector<Cut>* cuts = nullptr;
    const Options* opt = nullptr;
    Reader* src = nullptr;   // the pass's reader, for the first piece
    Reader origin;           // where the other pieces read from
    std::size_t count = 0, window = 0;
    std::vector<Piece> ring;   // piece j in slot j % window
    std::mutex m;
    std::condition_variable ready, room;
    std::size_t next = 0, taken = 0;   // the next piece to take, the pieces taken in order
    std::int64_t size = 0;   // of the source when the pass began
};

// The source bytes of piece j, about (the source may have changed since).
std::int64_t bytes(const Shared& sh, std::size_t j)
{
    const std::vector<Cut>& cuts = *sh.cuts;
    std::int64_t from = j == 0 ? 0 : cuts[j - 1].off;
    std::int64_t to = j < cuts.size() ? cuts[j].off : std::max(sh.size, from);
    return to - from;
}

// Room for n bytes in a slot's buffer; made with as much again to spare,
// so that the next pieces, a little larger or smaller, find it made.
void makeroom(std::string& buf, std::size_t n)
{
    if (buf.capacity() < n)
        buf.reserve(2 * n);
}

// The lines of piece j: after line from, up to line to (-1: the end).
Span span(const std::vector<Cut>& cuts, std::size_t j)
{
    Span s;
    s.from = j == 0 ? 0 : cuts[j - 1].line - 1;
    s.to = j < cuts.size() ? cuts[j].line - 1 : -1;
    return s;
}

// The guess at a cut: the state of the start with what the first pass kept.
void guess(State& st, const State& start, const Cut& cut)
{
    st.dir = cut.dir;
    double t = start.par.t, b = start.par.b, l = start.par.l, r = start.par.r;
    st.par = cut.par;
    st.par.t = t;
    st.par.b = b;
    st.par.l = l;
    st.par.r = r;
    lenload(cut.len, st.len);
    st.pt = start.pt;
}

// Whether the true state before a cut is the guess made there.
bool right(const State& st, const Cut& cut)
{
    const Params& a = st.par;
    const Params& g = cut.par;
    const double x[10] = {a.a, a.k, a.p, a.v, a.c, a.d, a.s, a.e, a.i, a.o};
    const double y[10] = {g.a, g.k, g.p, g.v, g.c, g.d, g.s, g.e, g.i, g.o};
    return st.dir == cut.dir && std::memcmp(x, y, sizeof x) == 0 && lenpack(st.len) == cut.len;
}

void work(Shared& sh)
{
    State ws = sh.start;   // the labels, once per thread
    for (;;) {
        std::size_t j;
        {
            std::unique_lock<std::mutex> lk(sh.m);
            sh.room.wait(lk, [&] { return sh.next >= sh.count || sh.next < sh.taken + sh.window; });
            if (sh.next >= sh.count)
                return;
            j = sh.next++;
        }
        Piece& p = sh.ring[j % sh.window];
        const std::vector<Cut>& cuts = *sh.cuts;
        Reader own;
        Reader* in = sh.src;
        Sink out;
        out.buf.swap(p.out);   // the slot's room, kept from its last piece
        out.buf.clear();
        term = Sink{};
        term.buf.swap(p.msgs);
        term.buf.clear();
        // Room for the piece at once (its picture about twice its source,
        // its transcript less than it), kept by the slot for the next
        // pieces, which are about as large; a piece beyond a few times the
        // usual grows as it goes.
        auto size = static_cast<std::size_t>(std::min<std::int64_t>(bytes(sh, j), 4 * PIECE));
        makeroom(out.buf, 4 * size);
        if (!sh.opt->nopt)
            makeroom(term.buf, size);
        if (j == 0) {
            ws.dir = sh.start.dir;
            ws.par = sh.start.par;
            ws.len = sh.start.len;
            ws.pt = sh.start.pt;
        } else {
            guess(ws, sh.start, cuts[j - 1]);
            readfrom(own, sh.origin, cuts[j - 1].off);
            in = &own;
        }
        ws.failed = 0;
        Span s = span(cuts, j);
        lines2(*in, ws, out, *sh.opt, s);
        p.index = j;
        p.out = std::move(out.buf);
        p.msgs = std::move(term.buf);
        p.dir = ws.dir;
        p.par = ws.par;
        p.len = ws.len;
        p.pt = ws.pt;
        p.failed = ws.failed;
        p.first = s.first;
        p.error = in->error;
        p.last = s.from;
        {
            std::lock_guard<std::mutex> lk(sh.m);
            p.done = true;
        }
        sh.ready.notify_all();
    }
}

}  // namespace

Lineno pieces(Reader& src, State& st, Sink& out, const Options& opt)
{
    int n = nthreads(opt);
    if (n < 2 || st.cuts.empty())
        return -1;
    std::vector<Cut> cuts = std::move(st.cuts);
    st.cuts.clear();

    Shared sh;
    sh.start = st;
    sh.cuts = &cuts;
    sh.opt = &opt;
    sh.src = &src;
    if (src.fp != nullptr)
        sh.origin.fd = ::fileno(src.fp);
    else
        sh.origin.mem = src.mem;
    sh.size = srcsize(src);
    sh.count = cuts.size() + 1;
    n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(n), sh.count));
    sh.window = 2 * static_cast<std::size_t>(n);
    sh.ring.resize(sh.window);

    // The threads take no signals: an interrupt reaches the run's own thread,
    // whose handler ends the run.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    std::vector<std::thread> threads;
    try {
        for (int k = 0; k < n; ++k)
            threads.emplace_back(work, std::ref(sh));
    } catch (const std::system_error&) {
        // Fewer threads than asked: those made do all the pieces.
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (threads.empty())
        return -1;

    Lineno lineno = 0;
    bool error = false;
    // A source that ends before a piece does (it changed since the first
    // pass) ends the pass there: the pieces after it are dropped.
    bool over = false;
    for (std::size_t j = 0; j < sh.count; ++j) {
        Piece& p = sh.ring[j % sh.window];
        {
            std::unique_lock<std::mutex> lk(sh.m);
            sh.ready.wait(lk, [&] { return p.done && p.index == j; });
        }
        Span want = span(cuts, j);
        if (over) {
            // dropped
        } else if (j == 0 || (p.first == 0 && right(st, cuts[j - 1]))) {
            // Straight to the streams: a piece is copied once more otherwise.
            for (auto [sink, text] : {std::pair<Sink*, std::string*>{&out, &p.out}, {&term, &p.msgs}}) {
                if (sink->fp != nullptr)
                    putlarge(*sink, *text);
                else
                    put(*sink, *text);
            }
            st.dir = p.dir;
            st.par = p.par;
            st.len = p.len;
            st.pt = p.pt;
            st.failed |= p.failed;
            error = error || p.error;
            lineno = p.last;
            over = want.to >= 0 && lineno < want.to;
        } else {
            Reader again;
            readfrom(again, sh.origin, cuts[j - 1].off);
            lines2(again, st, out, opt, want);
            error = error || again.error;
            lineno = want.from;
            over = want.to >= 0 && lineno < want.to;
        }
        show(term);
        p.out.clear();   // its room serves the slot's next piece
        p.msgs.clear();
        {
            std::lock_guard<std::mutex> lk(sh.m);
            p.done = false;
            sh.taken = j + 1;
        }
        sh.room.notify_all();
    }
    for (std::thread& t : threads)
        t.join();
    if (error)
        src.error = true;
    return lineno;
}

#endif
