#include "runner.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace hostile {

namespace {

int openfile(const std::string& path, int flags)
{
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    return fd;
}

}  // namespace

Result run(const fs::path& dir, const Invocation& how)
{
    Scratch io;
    const std::string in = (io / "stdin").string();
    const std::string out = how.stdoutPath.empty() ? (io / "stdout").string() : how.stdoutPath;
    spit(in, how.stdinText);

    std::vector<std::string> argv{QUILLARD_BINARY};
    argv.insert(argv.end(), how.args.begin(), how.args.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    // The environment of the run, made before the fork: no QUILLARD, and
    // under a sanitizer build an exit status of its own for a report, so
    // that one cannot pass for the status 1 that many of these runs expect.
    std::vector<std::string> env;
    bool seen[3] = {false, false, false};
    static const char* const sanitizers[3] = {"ASAN_OPTIONS=", "UBSAN_OPTIONS=", "LSAN_OPTIONS="};
    for (char** e = environ; *e != nullptr; ++e) {
        std::string var = *e;
        if (var.rfind("QUILLARD=", 0) == 0)
            continue;
        bool replaced = false;
        for (const auto& set : how.env)
            if (var.compare(0, set.find('=') + 1, set, 0, set.find('=') + 1) == 0)
                replaced = true;
        if (replaced)
            continue;
        for (int j = 0; j < 3; ++j) {
            if (var.rfind(sanitizers[j], 0) == 0) {
                seen[j] = true;
                var += ":exitcode=86";
            }
        }
        env.push_back(var);
    }
    for (int j = 0; j < 3; ++j)
        if (!seen[j])
            env.push_back(std::string(sanitizers[j]) + "exitcode=86");
    env.insert(env.end(), how.env.begin(), how.env.end());
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    int infd = openfile(in, O_RDONLY);
    int outfd = openfile(out, O_WRONLY | O_CREAT | (how.stdoutPath.empty() ? O_TRUNC : 0));
    pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::dup2(infd, 0);
        ::dup2(outfd, 1);
        ::close(infd);
        ::close(outfd);
        if (how.closedStreams) {
            ::close(0);
            ::close(1);
        }
        if (how.fileSizeLimit >= 0) {
            // A write past the limit then fails with EFBIG instead of
            // killing the process.
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim {};
            lim.rlim_cur = lim.rlim_max = static_cast<rlim_t>(how.fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &lim);
        }
        ::alarm(static_cast<unsigned>(how.timeoutSeconds));
        ::execve(cargv[0], cargv.data(), cenv.data());
        ::_exit(127);
    }
    ::close(infd);
    ::close(outfd);
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    Result r;
    if (WIFEXITED(wstatus)) {
        r.exited = true;
        r.status = WEXITSTATUS(wstatus);
    } else if (WIFSIGNALED(wstatus)) {
        r.signal = WTERMSIG(wstatus);
    }
    if (how.stdoutPath.empty())
        r.terminal = slurp(out);
    return r;
}

Scratch::Scratch()
{
    std::string tmpl = (fs::temp_directory_path() / "quillard-hostile-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
}

Scratch::~Scratch()
{
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& text)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
}

bool isroot()
{
    return ::geteuid() == 0;
}

}  // namespace hostile
