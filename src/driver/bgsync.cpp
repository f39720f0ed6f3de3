#include "quillard.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <system_error>
#include <thread>

#include <pthread.h>
#include <unistd.h>

// A large picture is synced on a thread of its own while it is written:
// each time the sink hands a block of it to the disk, the thread syncs the
// file (the sync sleeps on the disk and takes no CPU from the translation).
// What the sync at the end of the run then waits for is the last block and
// little else, where it would otherwise wait for every block's place on the
// disk to be recorded.  The run writes one picture at a time: the thread's
// state is the run's.
namespace {

std::mutex m;
std::condition_variable cv;
std::thread syncer;
int fd = -1;
std::int64_t handed = 0;   // bytes handed to the disk so far
bool done = false;
int err = 0;               // the error of a failed sync
int syncs = 0;             // syncs done

void body()
{
    std::int64_t synced = 0;
    std::unique_lock<std::mutex> lk(m);
    for (;;) {
        cv.wait(lk, [&] { return done || handed > synced; });
        if (done)
            return;   // the sync at the end does the rest
        std::int64_t upto = handed;
        lk.unlock();
        int e = ::fdatasync(fd) == 0 ? 0 : errno;
        lk.lock();
        // A failed sync reports the error once only: it is kept for the
        // run, which would otherwise take the later sync's success for the
        // file's.
        if (e != 0 && err == 0)
            err = e;
        synced = upto;
        ++syncs;
    }
}

}  // namespace

void bgstart(Sink& sink)
{
    if (sink.wbfd < 0 || syncer.joinable())
        return;
    fd = sink.wbfd;
    handed = 0;
    done = false;
    err = 0;
    syncs = 0;
    // The thread takes no signals: an interrupt reaches the run's own
    // thread, whose handler ends the run.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    try {
        syncer = std::thread(body);
        sink.bg = true;
    } catch (const std::system_error&) {
        // No thread: the sync at the end does it all.
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void bgnote(std::int64_t bytes)
{
    {
        std::lock_guard<std::mutex> lk(m);
        handed = bytes;
    }
    cv.notify_one();
}

int bgsyncs()
{
    std::lock_guard<std::mutex> lk(m);
    return syncs;
}

void bgstop(Sink& sink)
{
    if (!sink.bg)
        return;
    {
        std::lock_guard<std::mutex> lk(m);
        done = true;
    }
    cv.notify_one();
    syncer.join();
    sink.bg = false;
    if (err != 0) {
        if (!sink.error)
            sink.errnum = err;   // the first error is the one reported
        sink.error = true;
    }
}

#else

void bgstart(Sink&) {}
void bgnote(std::int64_t) {}
int bgsyncs()
{
    return 0;
}
void bgstop(Sink&) {}

#endif
