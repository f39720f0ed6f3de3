#include "quillard.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

void say(std::string_view a, std::string_view b = {}, std::string_view c = {},
         std::string_view d = {}, std::string_view e = {})
{
    put(term, a);
    put(term, b);
    put(term, c);
    put(term, d);
    put(term, e);
}

// Appends ".qld" unless the name's last '.' belongs to its file part.
void addext(std::string& name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos)
        name += ".qld";
}

// Reads one word from standard input; false at its end.
bool readword(std::string& word)
{
    word.clear();
    int ch;
    do
        ch = std::getchar();
    while (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\v');
    while (ch != EOF && !(ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' ||
                          ch == '\v')) {
        word += static_cast<char>(ch);
        ch = std::getchar();
    }
    return !word.empty();
}

bool samefile(const struct stat& a, const std::string& path)
{
    struct stat b {};
    return stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool regular(const std::string& path)
{
    struct stat sb {};
    return stat(path.c_str(), &sb) == 0 && S_ISREG(sb.st_mode);
}

// Ends the run: a terminal that could not take the transcript is a failure
// too, since its messages are lost.
int finish(int status)
{
    return flush(term) ? status : 1;
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
    term.fp = stdout;
    term.buf.clear();
    term.error = false;
    builtin();

    put(term, banner());
    State st;
    st.failed = rdconfig();
    st.par = defaults();

    Options opt;
    if (argc < 2 || argc > 3 || (argc == 3 && argv[1][0] != '-')) {
        say("Usage:  quillard [-option(s)] source_file_name\n", "\n");
        return finish(1);
    }
    if (argc == 3) {
        for (const char* p = argv[1] + 1; *p != '\0'; ++p) {
            switch (*p) {
            case 'h': opt.hopt = 1; break;
            case 'n': opt.nopt = 1; break;
            case 'b': opt.boxopt = 1; break;
            case 'B': opt.boxopt = 2; break;
            case 's': opt.sopt = 1; break;
            default: say("Undefined option '", std::string_view(p, 1), "' ignored.\n\n"); break;
            }
        }
    }

    // The source, with a prompt for another name while it cannot be found.
    std::string srcname = argv[argc - 1];
    std::FILE* src = nullptr;
    for (;;) {
        addext(srcname);
        struct stat sb {};
        if (stat(srcname.c_str(), &sb) == 0 && S_ISDIR(sb.st_mode)) {
            say("\nSource file ", srcname, " is a directory.\n");
            return finish(1);
        }
        src = std::fopen(srcname.c_str(), "rb");
        if (src != nullptr)
            break;
        if (errno != ENOENT && errno != ENOTDIR) {
            say("\nCannot read source file ", srcname, ": ", std::strerror(errno), "\n");
            return finish(1);
        }
        say("Specified source file not found.\n", "Enter Quillard source file name:  ");
        flush(term);
        if (!readword(srcname)) {
            say("\n\nNo source file name was given; nothing done.\n");
            return finish(1);
        }
        say("\n");
    }

    // Both passes read the source from its start: a pipe cannot be read twice.
    if (std::fseek(src, 0, SEEK_SET) != 0) {
        say("\nSource file ", srcname, " cannot be read twice (it is not a regular file).\n",
            "Nothing was written.\n");
        std::fclose(src);
        return finish(1);
    }

    std::string out = outname(srcname, ".tex");
    std::string bak = outname(srcname, ".org");
    struct stat srcstat {};
    if (fstat(fileno(src), &srcstat) == 0 && (samefile(srcstat, out) || samefile(srcstat, bak))) {
        say("\nSource file ", srcname, " is the output or backup file of its own run;\n",
            "rename it, or run in another directory.  Nothing was written.\n");
        std::fclose(src);
        return finish(1);
    }
    if (regular(out)) {
        say("File ", out, " already exists.\n");
        if (!copyfile(out, bak)) {
            say("\nCannot back up ", out, " in ", bak, ": ");
            say(std::strerror(errno), "\nNothing was written.\n");
            std::fclose(src);
            return finish(1);
        }
        say("Original ", out, " backed up in ", bak, ".\n");
        say("\n");
    }

    Reader in;
    in.fp = src;
    pass1(in, st, opt);

    Sink dst;
    dst.fp = std::fopen(out.c_str(), "wb");
    if (dst.fp == nullptr) {
        say("Cannot create output file ", out, ": ", std::strerror(errno), "\n");
        std::fclose(src);
        return finish(1);
    }
    pass2(in, st, dst, opt);
    bool written = flush(dst);
    if (std::fclose(dst.fp) != 0)
        written = false;
    if (in.error) {
        say("\n\nCannot read source file ", srcname, ".");
        st.failed = 1;
    }
    if (!written) {
        say("\n\nCannot write output file ", out, ".");
        st.failed = 1;
    }
    std::fclose(src);

    if (st.failed)
        say("\n\nWarning:  Quillard ended unsuccessfully.");
    say("\n", "\n");
    return finish(st.failed);
}
