#include "quillard.h"

#ifdef __EMSCRIPTEN__

Ahead* ahopen(const Reader&)
{
    return nullptr;
}

bool ahnext(Ahead&, Ahblock&, bool&)
{
    return false;
}

void ahclose(Ahead*) {}

#else

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

// The first pass reads its lines from a thread of its own, which also does
// what prescan can of each line, while the run's thread takes them in order
// and does the rest.  The lines go over in blocks, a few of them in flight:
// the reading thread copies each line's bytes into its block, so that the
// run's thread sees exactly the lines that were read and scanned.

namespace {

constexpr std::size_t NBLOCKS = 4;          // blocks in flight
constexpr std::size_t BLOCKLINES = 1024;    // lines of a block at most
constexpr std::size_t BLOCKTEXT = 1 << 14;  // a block is handed over once its text is this long

struct Block {
    std::string text;
    std::vector<Ahline> lines;   // n of them in use
    std::size_t n = 0;
    bool end = false;     // the source ends with this block
    bool error = false;   // a read failed
};

}  // namespace

struct Ahead {
    Reader in;
    std::array<Block, NBLOCKS> ring;
    std::mutex m;
    std::condition_variable filled, freed;
    std::size_t made = 0, used = 0;   // blocks filled, blocks given back
    bool stop = false;
    bool have = false;   // the run's thread holds block used % NBLOCKS
    std::thread thread;
};

namespace {

void reads(Ahead& ah)
{
    std::string buf;
    std::string_view line;
    State scratch;   // for prescan
    for (;;) {
        std::size_t k;
        {
            std::unique_lock<std::mutex> lk(ah.m);
            ah.freed.wait(lk, [&] { return ah.stop || ah.made - ah.used < NBLOCKS; });
            if (ah.stop)
                return;
            k = ah.made % NBLOCKS;
        }
        Block& b = ah.ring[k];
        b.text.clear();
        b.lines.resize(BLOCKLINES);
        b.n = 0;
        b.end = false;
        while (b.n < BLOCKLINES && b.text.size() < BLOCKTEXT) {
            if (!rdview(ah.in, line, buf)) {
                b.end = true;
                break;
            }
            Ahline& al = b.lines[b.n++];
            al.off = static_cast<std::uint32_t>(b.text.size());
            al.size = static_cast<std::uint32_t>(line.size());
            al.at = ah.in.at;
            al.nul = ah.in.nul;
            b.text.append(line);
            if (!al.nul && line.size() < MAXREAD) {
                prescan(line, al, scratch);
            } else {
                al.kind = AHFULL;
                al.minus = 0;
                al.cpos = 0;
            }
        }
        b.error = ah.in.error;
        bool end = b.end;
        {
            std::lock_guard<std::mutex> lk(ah.m);
            ++ah.made;
        }
        ah.filled.notify_one();
        if (end)
            return;
    }
}

}  // namespace

Ahead* ahopen(const Reader& src)
{
    auto ah = std::make_unique<Ahead>();
    if (src.fp == nullptr && src.fd < 0) {
        ah->in.mem = src.mem;
    } else {
        // Read by position from the start, as the run's own reader would
        // read the stream: only a regular file is read that way.
        int fd = src.fd >= 0 ? src.fd : ::fileno(src.fp);
        struct stat sb {};
        if (fd < 0 || ::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode))
            return nullptr;
        ah->in.fd = fd;
    }
    // The thread takes no signals: an interrupt reaches the run's own thread.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    try {
        ah->thread = std::thread(reads, std::ref(*ah));
    } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        return nullptr;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ah.release();
}

bool ahnext(Ahead& ah, Ahblock& block, bool& error)
{
    for (;;) {
        if (ah.have) {
            // The block taken last is read through.
            const Block& b = ah.ring[ah.used % NBLOCKS];
            if (b.end) {
                error = b.error;
                return false;
            }
            {
                std::lock_guard<std::mutex> lk(ah.m);
                ++ah.used;
            }
            ah.have = false;
            ah.freed.notify_one();
        }
        {
            std::unique_lock<std::mutex> lk(ah.m);
            ah.filled.wait(lk, [&] { return ah.made > ah.used; });
        }
        ah.have = true;
        const Block& b = ah.ring[ah.used % NBLOCKS];
        if (b.n > 0) {
            block.lines = b.lines.data();
            block.n = b.n;
            block.text = b.text.data();
            return true;
        }
        if (b.end) {
            error = b.error;
            return false;
        }
    }
}

void ahclose(Ahead* ah)
{
    if (ah == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lk(ah->m);
        ah->stop = true;
    }
    ah->freed.notify_one();
    ah->thread.join();
    delete ah;
}

#endif
