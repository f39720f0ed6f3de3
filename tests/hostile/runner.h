// Runs the built quillard binary as a user would, in a scratch directory of
// its own, and helpers for the files around such a run.
#ifndef QUILLARD_HOSTILE_RUNNER_H
#define QUILLARD_HOSTILE_RUNNER_H

#include <filesystem>
#include <string>
#include <vector>

namespace hostile {

namespace fs = std::filesystem;

struct Invocation {
    std::vector<std::string> args;   // after the program name
    std::string stdinText;           // standard input (empty: none)
    std::string stdoutPath;          // where standard output goes (empty: captured)
    long fileSizeLimit = -1;         // RLIMIT_FSIZE in bytes, or -1 for none
    bool closedStreams = false;      // start with standard input and output closed
    std::vector<std::string> env;    // "NAME=VALUE" settings added to the environment
    int timeoutSeconds = 120;        // the program is killed after this long
};

struct Result {
    bool exited = false;   // ended through exit, not a signal
    int status = -1;       // exit status when exited
    int signal = 0;        // the signal that ended it otherwise
    std::string terminal;  // standard output, when it was captured
};

// Runs the program with dir as its current directory.
Result run(const fs::path& dir, const Invocation& how);

// A fresh empty directory, removed with everything in it by the destructor
// (write permission is given back first).
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const fs::path& path() const { return dir_; }
    fs::path operator/(const std::string& name) const { return dir_ / name; }

private:
    fs::path dir_;
};

std::string slurp(const fs::path& p);
void spit(const fs::path& p, const std::string& text);

bool isroot();

}  // namespace hostile

#endif
