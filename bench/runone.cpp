// runone: runs one command with its standard output sent to a file and
// prints, on one line, its wall-clock seconds, its peak resident memory in
// KiB (from the child's own rusage, as wait4 reports it) and its exit status.
//
//   quillard_runone STDOUT_FILE PROGRAM [ARGS...]
//   -> "0.123456 5120 0"
//
// Standard input is /dev/null.  The child's standard error stays ours.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: quillard_runone STDOUT_FILE PROGRAM [ARGS...]\n");
        return 2;
    }
    int outfd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outfd < 0) {
        std::fprintf(stderr, "quillard_runone: %s: %s\n", argv[1], std::strerror(errno));
        return 2;
    }
    int nullfd = open("/dev/null", O_RDONLY);

    timespec t0{}, t1{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("quillard_runone: fork");
        return 2;
    }
    if (pid == 0) {
        dup2(outfd, STDOUT_FILENO);
        if (nullfd >= 0)
            dup2(nullfd, STDIN_FILENO);
        execvp(argv[2], argv + 2);
        std::fprintf(stderr, "quillard_runone: %s: %s\n", argv[2], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    pid_t got;
    do
        got = wait4(pid, &status, 0, &ru);
    while (got < 0 && errno == EINTR);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    close(outfd);
    if (got < 0) {
        std::perror("quillard_runone: wait4");
        return 2;
    }
    double secs = static_cast<double>(t1.tv_sec - t0.tv_sec) +
                  static_cast<double>(t1.tv_nsec - t0.tv_nsec) * 1e-9;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // ru_maxrss is in KiB on Linux.
    std::printf("%.6f %ld %d\n", secs, static_cast<long>(ru.ru_maxrss), code);
    return 0;
}
