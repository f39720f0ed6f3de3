#include "quillard.h"

#include <algorithm>
#include <atomic>
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
// The quiet messages kept so far (Diag's notes and text), published after
// each one is complete; they move only with the signals held back.
const Note* volatile notes = nullptr;
volatile std::size_t nnotes = 0, nfirst = 0;
const char* volatile notetext = nullptr;

void handler(int sig)
{
    for (const char* volatile& t : temps) {
        if (t != nullptr)
            ::unlink(t);
    }
    if (notes != nullptr && nnotes > 0) {
        std::size_t first = nfirst < nnotes ? nfirst : nnotes;
        inorder(notes, first, nnotes, notetext, [](const char* p, std::size_t n) {
            ssize_t w = ::write(msgfd, p, n);
            (void)w;
        });
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

void addnote(Diag& diag, Lineno lineno, std::string_view msg)
{
    std::string& text = diag.text;
    std::vector<Note>& all = diag.notes;
    if (text.size() + msg.size() > text.capacity() || all.size() == all.capacity() ||
        notes != all.data() || notetext != text.data()) {
        Hold hold;
        text.reserve(std::max(2 * text.capacity(), text.size() + msg.size()));
        all.reserve(std::max<std::size_t>(2 * all.capacity(), 16));
        notes = all.data();
        notetext = text.data();
    }
    all.push_back(Note{lineno, text.size(), msg.size()});
    text.append(msg);
    // The note is whole before the handler is told of it.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    nfirst = diag.second ? diag.first : all.size();
    nnotes = all.size();
}

void renote(Diag& diag, std::size_t k, std::string_view msg)
{
    Hold hold;   // the text may move: the handler follows it
    diag.text.append(msg);
    Note& nt = diag.notes[k];
    nt.off = diag.text.size() - msg.size();
    nt.len = msg.size();
    if (notes == diag.notes.data())
        notetext = diag.text.data();
}

void tellall(Diag& diag)
{
    {
        Hold hold;
        notes = nullptr;
        nnotes = 0;
    }
    if (diag.errs != nullptr) {
        Sink& out = *diag.errs;
        inorder(diag.notes.data(), diag.second ? diag.first : diag.notes.size(),
                diag.notes.size(), diag.text.data(),
                [&out](const char* p, std::size_t n) { put(out, std::string_view(p, n)); });
        show(out);
    }
    diag.notes.clear();
    diag.text.clear();
    diag.first = diag.next = 0;
    diag.second = 0;
}
