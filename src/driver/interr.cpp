#include "quillard.h"

#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

constexpr int SIGS[3] = {SIGINT, SIGTERM, SIGHUP};

// What the handler may touch: plain texts set up beforehand, and the
// temporary files in progress.  said holds the start of each signal's line.
std::string said[3];
const char* volatile text[3] = {nullptr, nullptr, nullptr};
volatile std::size_t size[3] = {0, 0, 0};
const char* volatile temps[2] = {nullptr, nullptr};
volatile sig_atomic_t msgfd = 1;

void handler(int sig)
{
    for (const char* volatile& t : temps) {
        if (t != nullptr)
            ::unlink(t);
    }
    for (int j = 0; j < 3; ++j) {
        if (SIGS[j] == sig && text[j] != nullptr) {
            ssize_t n = ::write(msgfd, text[j], size[j]);
            (void)n;
        }
    }
    ::_exit(128 + sig);
}

// Changes the handler's data with the signals held back, so that it never
// sees a text half made.
class Hold {
public:
    Hold()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : SIGS)
            sigaddset(&set, sig);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~Hold() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    sigset_t old_;
};

}  // namespace

void trapsigs(int fd, bool quiet)
{
    {
        Hold hold;
        msgfd = fd;
        for (int j = 0; j < 3; ++j) {
            said[j] = quiet ? "quillard: interrupted (" : "\n\nInterrupted (";
            said[j] += ::strsignal(SIGS[j]);
            said[j] += ")";
            text[j] = nullptr;
        }
    }
    ifkilled("; nothing was written.");
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    for (int sig : SIGS)
        sigaddset(&sa.sa_mask, sig);
    for (int sig : SIGS) {
        // A signal the caller ignores (nohup, a background job) stays ignored.
        struct sigaction now {};
        if (sigaction(sig, nullptr, &now) == 0 && now.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &sa, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

void ifkilled(const std::string& what)
{
    static std::string full[3];
    Hold hold;
    for (int j = 0; j < 3; ++j) {
        full[j] = said[j] + what + "\n";
        text[j] = full[j].c_str();
        size[j] = full[j].size();
    }
}

void temporary(int slot, const std::string* path)
{
    Hold hold;
    temps[slot] = path != nullptr ? path->c_str() : nullptr;
}
