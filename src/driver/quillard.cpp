#include "quillard.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t MAXWORD = 4096;   // longest name read at the prompt
constexpr int MAXTRIES = 3;             // names tried from a stdin that is no terminal

const char* const USAGE = "Usage:  quillard [-option(s)] source_file_name\n";

const char* const HELP =
    "Usage:  quillard [-option(s)] source_file_name\n"
    "        quillard [--quiet] [--output=FILE] [--no-backup] [--if-clean] [--mkdir]\n"
    "                 [-options] source_file_name\n"
    "\n"
    "Translates a picture source (.qld, added when the name has no extension) into\n"
    "one LaTeX picture environment, written to the source's base name with .tex in\n"
    "the current directory; an existing output file is first kept with .org.\n"
    "A .org (or, with --no-backup, an output) that holds no Quillard picture is\n"
    "never replaced: the run stops and says so.\n"
    "\n"
    "  -h             write each drawn item's source line number into the picture\n"
    "  -n             a line count per pass instead of a progress number per line\n"
    "  -b             framed boxes with thick lines\n"
    "  -B             framed and dashed boxes with thick lines\n"
    "  -s             sampler strokes drawn as staircases of short lines\n"
    "  --quiet        no banner, progress or closing warning; each error once, in\n"
    "                 line order, on standard error as SOURCE:LINE: message, and\n"
    "                 SOURCE:LINE: warning: message for texts LaTeX would misread\n"
    "  --output=FILE  write the picture to FILE; '-' writes it to standard output\n"
    "  --no-backup    keep no .org copy of an existing output file\n"
    "  --if-clean     write the output only when the run has no error\n"
    "  --mkdir        make the output file's missing folders first\n"
    "  --help         show this help and stop\n"
    "  --version      show the version and stop\n"
    "\n"
    "With a long option, a source that is not found is an error, never a prompt.\n"
    "Exit status: 0 for a clean run, 1 when any error was met, 128+n when ended\n"
    "by signal n.  Defaults of the drawing parameters come from .quillard in the\n"
    "current directory, else in the directory named by QUILLARD.\n";

// What the command line asked for.
struct Args {
    Options opt;
    bool longform = false;   // a long option was given
    bool usage = false;      // the argument list is not one the program takes
    std::string letters;     // the one-letter options, in order
    std::string source;
};

// Where the run's own messages go: the transcript, or standard error.
struct Run {
    Args args;
    Sink errs;
};

void say(std::string_view a, std::string_view b = {}, std::string_view c = {},
         std::string_view d = {}, std::string_view e = {})
{
    put(term, a);
    put(term, b);
    put(term, c);
    put(term, d);
    put(term, e);
}

// A message that ends the run or explains a failure: in the transcript as
// given, or quiet on standard error as one line "quillard: ...".
void tell(Run& run, const std::string& text)
{
    if (!run.args.opt.quiet) {
        put(term, text);
        show(term);
        return;
    }
    std::size_t a = text.find_first_not_of('\n');
    std::size_t b = text.find_last_not_of('\n');
    std::string line = a == std::string::npos ? std::string() : text.substr(a, b - a + 1);
    for (char& ch : line)
        if (ch == '\n')
            ch = ' ';
    put(run.errs, "quillard: ");
    put(run.errs, line);
    put(run.errs, "\n");
}

// Ends the run: a terminal that could not take the transcript is a failure
// too, since its messages are lost.
int finish(Run& run, int status)
{
    bool ok = flush(term);
    ok = flush(run.errs) && ok;
    return ok ? status : 1;
}

bool startswith(std::string_view s, std::string_view head)
{
    return s.substr(0, head.size()) == head;
}

// Reads the command line.  Returns -1 to go on, or the exit status of a run
// that ends here (help, version, a wrong long option).
int parse(int argc, char** argv, Args& args)
{
    if (argc == 2) {
        std::string_view a = argv[1];
        if (a == "--help" || a == "--version") {
            std::fputs(a == "--help" ? HELP : "quillard 1.25\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    for (int j = 1; j + 1 < argc; ++j)
        if (startswith(argv[j], "--") && argv[j][2] != '\0')
            args.longform = true;
    if (!args.longform) {
        // The classic forms: the source alone, or one word of option letters
        // and the source.
        if (argc < 2 || argc > 3 || (argc == 3 && argv[1][0] != '-')) {
            args.usage = true;
            return -1;
        }
        if (argc == 3)
            args.letters = argv[1] + 1;
        args.source = argv[argc - 1];
        return -1;
    }

    for (int j = 1; j < argc; ++j) {
        std::string_view a = argv[j];
        if (a == "--help" || a == "--version") {
            std::fputs(a == "--help" ? HELP : "quillard 1.25\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    std::string bad;
    int j = 1;
    for (; j + 1 < argc && bad.empty(); ++j) {
        std::string_view a = argv[j];
        if (a == "--") {
            ++j;
            break;
        }
        if (a == "--quiet") {
            args.opt.quiet = 1;
        } else if (a == "--no-backup") {
            args.opt.noback = 1;
        } else if (a == "--if-clean") {
            args.opt.ifclean = 1;
        } else if (a == "--mkdir") {
            args.opt.mkdir = 1;
        } else if (startswith(a, "--output=")) {
            args.opt.output = a.substr(9);
            if (args.opt.output.empty())
                bad = "option '--output' needs a file name";
        } else if (a == "--output") {
            if (j + 2 < argc)
                args.opt.output = argv[++j];
            else
                bad = "option '--output' needs a file name";
        } else if (startswith(a, "--")) {
            bad = "unknown option '" + std::string(a) + "'";
        } else if (a[0] == '-' && a.size() > 1) {
            args.letters += a.substr(1);
        } else {
            bad = "more than one source file name ('" + std::string(a) + "')";
        }
    }
    if (bad.empty() && j != argc - 1)
        bad = "one source file name is expected after the options";
    if (bad.empty() && args.opt.ifclean && args.opt.output == "-")
        bad = "option '--if-clean' needs an output file: standard output cannot be taken back";
    if (!bad.empty()) {
        std::fprintf(stderr, "quillard: %s\nTry 'quillard --help' for more information.\n",
                     bad.c_str());
        return 1;
    }
    args.source = argv[argc - 1];
    return -1;
}

// Appends ".qld" unless the name's last '.' belongs to its file part.
void addext(std::string& name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        name += ".qld";
}

bool white(int ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\v';
}

// Reads one word from standard input: 1 a word, 0 the end of the input, -1
// a word (or a run of blanks) longer than any file name, which is left
// unread past that length.
int readword(std::string& word)
{
    word.clear();
    int ch;
    std::size_t blanks = 0;
    do {
        ch = std::getchar();
        if (++blanks > MAXWORD)
            return -1;
    } while (white(ch));
    while (ch != EOF && !white(ch)) {
        if (word.size() >= MAXWORD)
            return -1;
        word += static_cast<char>(ch);
        ch = std::getchar();
    }
    return word.empty() ? 0 : 1;
}

enum class Open { ok, missing, directory, irregular, error };

// Opens the source without waiting: a FIFO is not waited on for a writer,
// and only a regular file is read (both passes read it from its start).
Open opensrc(const std::string& name, std::FILE*& fp)
{
    fp = nullptr;
    if (name.find('\0') != std::string::npos)
        return Open::missing;
    int fd = openreg(name);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Open::missing;
        return errno == EISDIR ? Open::directory : errno == 0 ? Open::irregular : Open::error;
    }
    fp = ::fdopen(fd, "rb");
    if (fp == nullptr) {
        ::close(fd);
        return Open::error;
    }
    return Open::ok;
}

bool samefile(const struct stat& a, const std::string& path)
{
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The backup's name for an output named by --output: beside it, with the
// extension replaced by ".org".
std::string bakname(const std::string& out)
{
    std::size_t slash = out.rfind('/');
    std::string dir = slash == std::string::npos ? "" : out.substr(0, slash + 1);
    std::string bak = dir + outname(out, ".org");
    return bak == out ? out + ".org" : bak;
}

}  // namespace

std::string_view banner()
{
    return "\nQuillard  .............  A Preprocessor for LaTeX          Ver. 1.25\n"
           "Copyright (c) 2026 the Quillard developers.\n"
           "Quillard comes with ABSOLUTELY NO WARRANTY.\n"
           "It reads a picture source (.qld) and writes one LaTeX picture (.tex).\n"
           "Errors are reported with the number of the source line;\n"
           "an existing output file is kept with the extension .org.\n\n";
}

int quillard(int argc, char** argv)
{
    Run run;
    Args& args = run.args;
    int parsed = parse(argc, argv, args);
    if (parsed >= 0)
        return parsed;
    Options& opt = args.opt;
    bool tostdout = opt.output == "-";

    // The transcript goes to standard output, unless the picture does or
    // the run is quiet; quiet messages go to standard error.
    term = Sink{};
    term.fp = opt.quiet ? nullptr : tostdout ? stderr : stdout;
    term.tty = term.fp != nullptr && ::isatty(::fileno(term.fp));
    run.errs.fp = stderr;
    run.errs.tty = ::isatty(2);
    trapsigs(opt.quiet || tostdout ? 2 : 1, opt.quiet);
    builtin();

    if (!opt.quiet)
        put(term, banner());
    State st;
    st.diag.quiet = opt.quiet;
    st.diag.errs = &run.errs;
    st.failed = rdconfig(opt.quiet ? &st.diag : nullptr);
    st.par = defaults();

    if (args.usage) {
        say(USAGE, "\n");
        return finish(run, 1);
    }
    for (char ch : args.letters) {
        switch (ch) {
        case 'h': opt.hopt = 1; break;
        case 'n': opt.nopt = 1; break;
        case 'b': opt.boxopt = 1; break;
        case 'B': opt.boxopt = 2; break;
        case 's': opt.sopt = 1; break;
        default:
            tell(run, std::string("Undefined option '") + ch + "' ignored.\n\n");
            break;
        }
    }

    // The source, with a prompt for another name while it cannot be found
    // (with a long option, a missing source is an error).
    std::string srcname = args.source;
    bool asking = ::isatty(0);
    std::FILE* src = nullptr;
    for (int tries = 0;; ++tries) {
        addext(srcname);
        Open got = opensrc(srcname, src);
        if (got == Open::ok)
            break;
        if (got == Open::directory) {
            tell(run, "\nSource file " + srcname + " is a directory.\n");
            return finish(run, 1);
        }
        if (got == Open::irregular) {
            tell(run, "\nSource file " + srcname +
                          " cannot be read twice (it is not a regular file).\n"
                          "Nothing was written.\n");
            return finish(run, 1);
        }
        if (got == Open::error) {
            tell(run, "\nCannot read source file " + srcname + ": " + std::strerror(errno) + "\n");
            return finish(run, 1);
        }
        if (args.longform) {
            tell(run, "\nSource file " + srcname + " not found.\n");
            return finish(run, 1);
        }
        say("Specified source file not found.\n");
        if (!asking && tries == MAXTRIES) {
            say("\nNo source file found after ", std::to_string(MAXTRIES),
                " more names; nothing done.\n");
            return finish(run, 1);
        }
        say("Enter Quillard source file name:  ");
        flush(term);
        int word = readword(srcname);
        if (word == 0) {
            say("\n\nNo source file name was given; nothing done.\n");
            return finish(run, 1);
        }
        if (word < 0)
            srcname.assign(1, '\0');   // a name no file has
        say("\n");
    }
    st.diag.file = srcname;

    Outfile out;
    out.name = opt.output.empty() ? outname(srcname, ".tex") : opt.output;
    std::string bak;
    if (!tostdout && !opt.noback)
        bak = opt.output.empty() ? outname(srcname, ".org") : bakname(opt.output);
    struct stat srcstat {};
    if (::fstat(::fileno(src), &srcstat) == 0 &&
        ((!tostdout && samefile(srcstat, out.name)) || (!bak.empty() && samefile(srcstat, bak)))) {
        tell(run, "\nSource file " + srcname + " is the output or backup file of its own run;\n"
                  "rename it, or run in another directory.  Nothing was written.\n");
        std::fclose(src);
        return finish(run, 1);
    }

    if (!tostdout) {
        std::size_t slash = out.name.rfind('/');
        if (opt.mkdir && slash != std::string::npos && slash > 0 &&
            !mkdirs(out.name.substr(0, slash))) {
            tell(run, "Cannot make the folder of output file " + out.name + ": " +
                          std::strerror(errno) + "\n");
            std::fclose(src);
            return finish(run, 1);
        }
        int err = resolve(out, bak);
        if (err != 0) {
            std::string why = err < 0 ? "not a regular file" : std::strerror(err);
            tell(run, "Cannot create output file " + out.name + ": " + why + "\n");
            std::fclose(src);
            return finish(run, 1);
        }
        // Only a file Quillard wrote is replaced: a backup of that name that
        // holds something else (an Org file, a hand-written paper kept by
        // the first run), or under --no-backup an output that does.
        const std::string& keep = bak.empty() ? out.target : bak;
        if (out.existed && !ours(keep)) {
            tell(run, (bak.empty() ? "Output file " + out.name : "Backup file " + bak) +
                          " is not a Quillard picture; move it away or " +
                          (bak.empty() ? "leave out" : "use") +
                          " --no-backup.  Nothing was written.\n");
            std::fclose(src);
            return finish(run, 1);
        }
        if (out.existed && !bak.empty()) {
            say("File ", out.name, " already exists.\n");
            if (!copyfile(out.target, bak)) {
                tell(run, "\nCannot back up " + out.name + " in " + bak + ": " +
                              std::strerror(errno) + "\nNothing was written.\n");
                std::fclose(src);
                return finish(run, 1);
            }
            say("Original ", out.name, " backed up in ", bak, ".\n");
            say("\n");
        }
        ifkilled(": " + out.name + (out.existed ? " is left as it was." : " was not written."));
    }
    const std::string kept = out.existed ? "; the previous picture is kept."
                                         : "; no picture was written.";

    Reader in;
    in.fp = src;
    // The transcript holds about a number of a few bytes for each line and
    // pass, the picture about twice the source.
    std::int64_t size = srcsize(in);
    if (term.fp != nullptr)
        roomfor(term, 2 * size);
    pass1(in, st, opt);

    Sink dst;
    if (tostdout) {
        dst.fp = stdout;
    } else {
        if (!create(out)) {
            below(st);
            tellall(st.diag);
            tell(run, "Cannot create output file " + out.name + ": " + std::strerror(errno) + "\n");
            std::fclose(src);
            return finish(run, 1);
        }
        dst.fp = out.fp;
        dst.wbfd = ::fileno(out.fp);
    }
    roomfor(dst, 4 * size);
    if (size >= BGSYNC)
        bgstart(dst);
    pass2(in, st, dst, opt);
    bgstop(dst);
    below(st);
    tellall(st.diag);
    bool broken = in.error;
    // --if-clean: after an error the new picture is thrown away, and the
    // output file stays as it was (or absent).
    bool dropped = opt.ifclean && st.failed && !broken;
    if (dropped) {
        discard(out);
        say("\n\nNothing was written to ", out.name, " (--if-clean).");
    }
    bool written = !broken && (dropped || (tostdout ? flush(dst) : commit(out, dst)));
    int werr = errno;
    if (!written && !tostdout)
        discard(out);
    std::fclose(src);
    if (broken) {
        tell(run, "\n\nCannot read source file " + srcname + kept);
        st.failed = 1;
    } else if (!written) {
        tell(run, "\n\nCannot write output file " + (tostdout ? std::string("to standard output")
                                                             : out.name) +
                      ": " + std::strerror(werr != 0 ? werr : EIO) + (tostdout ? "." : kept));
        st.failed = 1;
    }

    if (!opt.quiet) {
        if (st.failed)
            say("\n\nWarning:  Quillard ended unsuccessfully.");
        say("\n", "\n");
    }
    return finish(run, st.failed);
}
