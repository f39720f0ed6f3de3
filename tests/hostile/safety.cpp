// File safety: the previous picture survives every way a run can go wrong
// (links between the output and the backup, a run killed mid-write, a full
// disk, two runs at once), and no file the program opens can make it wait
// or read without end.
#include "runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using hostile::Invocation;
using hostile::Result;
using hostile::Scratch;
using hostile::slurp;
using hostile::spit;
namespace fs = std::filesystem;

const std::string OLD = "\\begin{picture}(9,9)(0,0)\n\\put(0,0){\\line(1,0){9}}\n\\end{picture}\n";
const std::string NEW = "\\begin{picture}(2,0)(0,0)\n\\put(0,0){\\line(1,0){2}}\n\\end{picture}\n";

Result quillard(const fs::path& dir, std::vector<std::string> args, std::string in = {},
                int timeout = 120)
{
    Invocation how;
    how.args = std::move(args);
    how.stdinText = std::move(in);
    how.timeoutSeconds = timeout;
    return hostile::run(dir, how);
}

bool whole(const std::string& text)
{
    const std::string head = "\\begin{picture}", tail = "\\end{picture}\n";
    return text.rfind(head, 0) == 0 && text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0 &&
           text.find(tail) == text.size() - tail.size();
}

// Files whose names start with '.': temporary files left behind.
std::vector<std::string> hidden(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string()[0] == '.')
            names.push_back(e.path().filename().string());
    return names;
}

// A source of n lines whose picture is large.
std::string bigsource(int n)
{
    std::string src;
    for (int j = 0; j < n; ++j)
        src += "r (1)\n";
    return src;
}

pid_t start(const fs::path& dir, const std::vector<std::string>& args)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        int nul = ::open("/dev/null", O_RDWR);
        ::dup2(nul, 0);
        ::dup2(nul, 1);
        ::dup2(nul, 2);
        std::vector<std::string> all{QUILLARD_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int wait(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Waits until the run has its temporary output open (it writes the
// picture), then sends the signal.
bool killmidwrite(const fs::path& dir, pid_t pid, int sig)
{
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < give_up) {
        for (const auto& name : hidden(dir)) {
            if (name.rfind(".plan.tex.", 0) == 0) {
                ::kill(pid, sig);
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// ------------------------------------------------------------ links

// Every shape in which the output and the backup are one file, or the backup
// name leads elsewhere: the old picture ends in plan.org, the new one in
// plan.tex, and no other file changes.  A backup name that leads to a file
// Quillard did not write (notes.txt) stops the run with everything kept.
TEST(Links, OldPictureSurvivesEveryLinkShape)
{
    struct Shape {
        const char* name;
        void (*make)(const fs::path&);
        bool refused;
    };
    const Shape shapes[] = {
        {"plan.org hard link to plan.tex",
         [](const fs::path& d) { spit(d / "plan.tex", OLD); fs::create_hard_link(d / "plan.tex", d / "plan.org"); }, false},
        {"plan.org symbolic link to plan.tex",
         [](const fs::path& d) { spit(d / "plan.tex", OLD); fs::create_symlink("plan.tex", d / "plan.org"); }, false},
        {"plan.tex symbolic link to plan.org",
         [](const fs::path& d) { spit(d / "plan.org", OLD); fs::create_symlink("plan.org", d / "plan.tex"); }, false},
        {"plan.org symbolic link to notes.txt",
         [](const fs::path& d) { spit(d / "plan.tex", OLD); fs::create_symlink("notes.txt", d / "plan.org"); }, true},
        {"plan.org hard link to notes.txt",
         [](const fs::path& d) { spit(d / "plan.tex", OLD); fs::create_hard_link(d / "notes.txt", d / "plan.org"); }, true},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        Scratch d;
        spit(d / "plan.qld", "r (2)\n");
        spit(d / "notes.txt", "my notes\n");
        shape.make(d.path());
        auto r = quillard(d.path(), {"plan"});
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, shape.refused ? 1 : 0) << r.terminal;
        EXPECT_EQ(slurp(d / "plan.org"), shape.refused ? "my notes\n" : OLD);
        EXPECT_EQ(slurp(d / "plan.tex"), shape.refused ? OLD : NEW);
        EXPECT_EQ(fs::is_symlink(d / "plan.org"), shape.refused && std::string(shape.name).find("symbolic") != std::string::npos)
            << "the backup is a file of its own, or the user's link is kept";
        EXPECT_EQ(slurp(d / "notes.txt"), "my notes\n");
        EXPECT_TRUE(hidden(d.path()).empty());
    }
}

TEST(Links, OutputThatLinksElsewhereStaysALink)
{
    Scratch d;
    fs::create_directory(d / "figs");
    spit(d / "plan.qld", "r (2)\n");
    spit(d / "figs" / "plan.tex", OLD);
    ::chmod((d / "figs" / "plan.tex").c_str(), 0640);
    fs::create_symlink("figs/plan.tex", d / "plan.tex");
    auto r = quillard(d.path(), {"plan"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0) << r.terminal;
    EXPECT_TRUE(fs::is_symlink(d / "plan.tex"));
    EXPECT_EQ(slurp(d / "figs" / "plan.tex"), NEW);
    EXPECT_EQ(slurp(d / "plan.org"), OLD);
    struct stat sb {};
    ::stat((d / "figs" / "plan.tex").c_str(), &sb);
    EXPECT_EQ(sb.st_mode & 0777, 0640u) << "the new picture keeps the old one's permissions";
    EXPECT_TRUE(hidden(d / "figs").empty());
}

// --------------------------------------------------- killed mid-write

TEST(Interrupts, KilledTwiceInARowKeepsTheLastGoodPicture)
{
    Scratch d;
    spit(d / "plan.qld", bigsource(400000));
    spit(d / "plan.tex", OLD);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        pid_t pid = start(d.path(), {"-n", "plan"});
        ASSERT_TRUE(killmidwrite(d.path(), pid, SIGKILL));
        wait(pid);
        EXPECT_EQ(slurp(d / "plan.tex"), OLD);
        EXPECT_EQ(slurp(d / "plan.org"), OLD);
        for (const auto& name : hidden(d.path()))
            fs::remove(d / name);   // what SIGKILL leaves: a temporary file, nothing else
    }
}

TEST(Interrupts, SignalsEndTheRunWithAMessageAndNoTemporaryFile)
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        Scratch d;
        spit(d / "plan.qld", bigsource(400000));
        spit(d / "plan.tex", OLD);
        Scratch io;
        pid_t pid = ::fork();
        if (pid == 0) {
            ::chdir(d.path().c_str());
            int out = ::open((io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::execl(QUILLARD_BINARY, QUILLARD_BINARY, "-n", "plan", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_TRUE(killmidwrite(d.path(), pid, sig));
        int status = wait(pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
        const std::string term = slurp(io / "out");
        EXPECT_NE(term.find("Interrupted ("), std::string::npos) << term;
        EXPECT_NE(term.find("plan.tex is left as it was."), std::string::npos) << term;
        EXPECT_EQ(slurp(d / "plan.tex"), OLD);
        EXPECT_TRUE(hidden(d.path()).empty());
    }
}

// A quiet run killed while it writes the picture still tells, in line
// order, the errors it has found: here one that only the second pass finds,
// above one that the first pass found at the end.
TEST(Interrupts, QuietRunTellsWhatItFoundInLineOrder)
{
    Scratch d;
    spit(d / "plan.qld", "r (-1)\n" + bigsource(400000) + "q\n");
    Scratch io;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::chdir(d.path().c_str());
        int err = ::open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, 2);
        ::execl(QUILLARD_BINARY, QUILLARD_BINARY, "--quiet", "plan", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Killed once the picture's first bytes are written: the second pass
    // is past line 1 by then.
    bool killed = false;
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!killed && std::chrono::steady_clock::now() < give_up) {
        for (const auto& name : hidden(d.path())) {
            std::error_code ec;
            if (name.rfind(".plan.tex.", 0) == 0 && fs::file_size(d / name, ec) > 0 && !ec) {
                ::kill(pid, SIGINT);
                killed = true;
                break;
            }
        }
    }
    ASSERT_TRUE(killed);
    int status = wait(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    const std::string err = slurp(io / "err");
    const std::string range = "plan.qld:1: Length specification error: line length -1 is out of "
                              "range: it must be 0 or more\n";
    const std::string syntax = "plan.qld:400002: Syntax error: unknown command 'q'\n";
    EXPECT_EQ(err.substr(0, range.size() + syntax.size()), range + syntax) << err;
    EXPECT_NE(err.find("quillard: interrupted ("), std::string::npos) << err;
    EXPECT_TRUE(hidden(d.path()).empty());
}

// A full disk (here a file-size limit), then a run with room: the first
// keeps the old picture whole, the second writes the new one.
TEST(Interrupts, FullDiskThenASecondRun)
{
    Scratch d;
    spit(d / "plan.qld", bigsource(20000));
    spit(d / "plan.tex", OLD);
    Invocation how;
    how.args = {"-n", "plan"};
    how.fileSizeLimit = 8192;
    auto r = hostile::run(d.path(), how);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.terminal.find("the previous picture is kept"), std::string::npos) << r.terminal;
    EXPECT_EQ(slurp(d / "plan.tex"), OLD);
    EXPECT_TRUE(hidden(d.path()).empty());
    auto again = quillard(d.path(), {"-n", "plan"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(whole(slurp(d / "plan.tex")));
    EXPECT_EQ(slurp(d / "plan.org"), OLD);
}

// ------------------------------------------------------- concurrency

TEST(Concurrency, RunsAtOnceLeaveWholePicturesAtEveryMoment)
{
    Scratch d;
    spit(d / "plan.qld", bigsource(60000));
    spit(d / "plan.tex", OLD);
    std::vector<pid_t> runs;
    for (int j = 0; j < 6; ++j)
        runs.push_back(start(d.path(), {"-n", "plan"}));
    int looks = 0;
    bool running = true;
    while (running) {
        for (const char* name : {"plan.tex", "plan.org"}) {
            if (fs::exists(d / name)) {
                std::string text = slurp(d / name);
                ASSERT_TRUE(whole(text)) << name << " was seen cut off, " << text.size() << " bytes";
                ++looks;
            }
        }
        running = false;
        for (pid_t pid : runs)
            if (::waitpid(pid, nullptr, WNOHANG) == 0)
                running = true;
    }
    for (pid_t pid : runs)
        ::waitpid(pid, nullptr, 0);
    EXPECT_GT(looks, 0);
    EXPECT_TRUE(whole(slurp(d / "plan.tex")));
    EXPECT_TRUE(whole(slurp(d / "plan.org")));
    EXPECT_TRUE(hidden(d.path()).empty());
}

// ------------------------------------------------ nothing blocks

TEST(NoWaiting, FifosAndEndlessFilesAreRefusedOrPassedOver)
{
    struct Case {
        const char* what;
        const char* fifo;       // made a FIFO, or null
        const char* zerolink;   // made a link to /dev/zero, or null
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"source FIFO", "plan.qld", nullptr, 1, "not a regular file"},
        {"source /dev/zero", nullptr, "plan.qld", 1, "not a regular file"},
        {"output FIFO", "plan.tex", nullptr, 1, "Cannot create output file plan.tex: not a regular file"},
        {"backup FIFO", "plan.org", nullptr, 1, "Backup file plan.org is not a Quillard picture"},
        {"configuration FIFO", ".quillard", nullptr, 0, "Configuration file .quillard is not a regular file; ignored."},
        {"configuration /dev/zero", nullptr, ".quillard", 0, "Configuration file .quillard is not a regular file; ignored."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch d;
        spit(d / "plan.tex", OLD);
        const std::string fifo = c.fifo ? c.fifo : "", zero = c.zerolink ? c.zerolink : "";
        if (fifo != "plan.qld" && zero != "plan.qld")
            spit(d / "plan.qld", "r (2)\n");
        if (c.fifo != nullptr) {
            fs::remove(d / c.fifo);
            ASSERT_EQ(::mkfifo((d / c.fifo).c_str(), 0644), 0);
        }
        if (c.zerolink != nullptr)
            fs::create_symlink("/dev/zero", d / c.zerolink);
        auto r = quillard(d.path(), {"plan"}, {}, 20);
        ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << " (a timeout is SIGALRM)";
        EXPECT_EQ(r.status, c.status) << r.terminal;
        EXPECT_NE(r.terminal.find(c.says), std::string::npos) << r.terminal;
        if (c.status == 0) {
            EXPECT_EQ(slurp(d / "plan.tex"), NEW);
        } else if (fifo != "plan.tex") {
            EXPECT_EQ(slurp(d / "plan.tex"), OLD);
        }
    }
}

TEST(NoWaiting, PromptReadsBoundedNamesAndGivesUp)
{
    Scratch d;
    std::string yes;
    for (int j = 0; j < 100000; ++j)
        yes += "nope\n";
    std::string zeros(10 * 1024 * 1024, '\0');
    for (const std::string* in : {&yes, &zeros}) {
        auto r = quillard(d.path(), {"nope"}, *in, 20);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_LE(r.terminal.size(), 4096u) << "no name is echoed without bound";
        EXPECT_NE(r.terminal.find("nothing done"), std::string::npos) << r.terminal;
    }
    EXPECT_TRUE(fs::is_empty(d.path()));
}

// ------------------------------------------------- a terminal sees progress

// With the transcript on a terminal and the picture on a pipe that nobody
// reads, the run stops in the second pass with the pipe full: what it has
// shown by then must include both passes' message for line 1.
TEST(Terminal, TranscriptReachesATerminalAsTheRunGoes)
{
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo-terminal here";
    std::string slave = ::ptsname(master);
    Scratch d;
    spit(d / "plan.qld", "Z\n" + bigsource(200000));
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::chdir(d.path().c_str());
        int tty = ::open(slave.c_str(), O_RDWR);
        ::dup2(pipefd[1], 1);
        ::dup2(tty, 2);
        ::close(pipefd[0]);
        ::execl(QUILLARD_BINARY, QUILLARD_BINARY, "-n", "--output=-", "plan",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipefd[1]);
    std::string seen;
    const std::string want = "Generating LaTeX source file:  \r\nSyntax error in [1]";
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (seen.find(want) == std::string::npos && std::chrono::steady_clock::now() < give_up) {
        struct pollfd pfd {master, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        char buf[4096];
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        seen.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the run is held by the full pipe";
    ::kill(pid, SIGKILL);
    wait(pid);
    ::close(pipefd[0]);
    ::close(master);
    EXPECT_NE(seen.find("Checking Quillard source file:  \r\nSyntax error in [1]"), std::string::npos)
        << seen;
    EXPECT_NE(seen.find(want), std::string::npos) << seen;
}

}  // namespace
