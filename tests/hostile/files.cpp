// The real program against hostile files and directories: sources that are
// directories, unreadable or that cannot be read twice, outputs that cannot be created or
// written, sources whose names make them their own output or backup, and
// the backup of an existing output.  Every run must end with the expected
// result or a clear message and status 1, never with a crash.
#include "runner.h"

#include "quillard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using hostile::isroot;
using hostile::Result;
using hostile::Invocation;
using hostile::Scratch;
using hostile::slurp;
using hostile::spit;
namespace fs = std::filesystem;

const std::string SOURCE = "r (1)\nU (1)\nc (\"x\")\n";
const std::string PICTURE = "\\begin{picture}(1,1)(0,0)\n"
                            "\\put(0,0){\\line(1,0){1}}\n"
                            "\\put(1,0){\\vector(0,1){1}}\n"
                            "\\put(0.8,0.5){\\makebox(0,0)[r]{x}}\n"
                            "\\end{picture}\n";
const std::string FAILED = "Warning:  Quillard ended unsuccessfully.";

std::size_t count(const std::string& hay, const std::string& needle)
{
    std::size_t n = 0;
    for (auto at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1))
        ++n;
    return n;
}

Result quillard(const fs::path& dir, std::vector<std::string> args, std::string stdinText = {})
{
    Invocation how;
    how.args = std::move(args);
    how.stdinText = std::move(stdinText);
    return hostile::run(dir, how);
}

// The run ended through exit with the given status, not through a signal.
void ended(const Result& r, int status)
{
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.terminal;
    EXPECT_EQ(r.status, status) << r.terminal;
}

std::vector<std::string> listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Snapshot {
    std::string bytes;
    ino_t inode = 0;
    explicit Snapshot(const fs::path& p)
    {
        bytes = slurp(p);
        struct stat sb {};
        if (::lstat(p.c_str(), &sb) == 0)
            inode = sb.st_ino;
    }
};

void unchanged(const fs::path& p, const Snapshot& before)
{
    Snapshot now(p);
    EXPECT_EQ(now.bytes, before.bytes) << p << " was changed";
    EXPECT_EQ(now.inode, before.inode) << p << " was replaced";
}

// ------------------------------------------------------------ the source

TEST(SourceFile, DirectoryIsRefusedAndNothingIsWritten)
{
    Scratch d;
    fs::create_directory(d / "plan.qld");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("plan.qld is a directory"), std::string::npos) << r.terminal;
    EXPECT_EQ(listing(d.path()), std::vector<std::string>{"plan.qld"});

    fs::create_directory(d / "sub");
    auto dot = quillard(d.path(), {"-n", "sub/."});
    ended(dot, 1);
    EXPECT_NE(dot.terminal.find("is a directory"), std::string::npos) << dot.terminal;
    EXPECT_EQ(listing(d.path()), (std::vector<std::string>{"plan.qld", "sub"}));
}

TEST(SourceFile, UnreadableSourceIsReportedByName)
{
    if (isroot())
        GTEST_SKIP() << "root reads a file whatever its mode, so chmod 000 cannot make it "
                        "unreadable";
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    fs::permissions(d / "plan.qld", fs::perms::none);
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("plan.qld"), std::string::npos) << r.terminal;
    EXPECT_EQ(r.terminal.find("Enter Quillard source file name"), std::string::npos)
        << "an unreadable file is not a missing one";
    EXPECT_FALSE(fs::exists(d / "plan.tex"));
}

TEST(SourceFile, OverlongNameIsReportedNotCrashedOn)
{
    Scratch d;
    const std::string name(5000, 'n');
    auto r = quillard(d.path(), {name});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot read source file"), std::string::npos)
        << r.terminal.substr(0, 2000);
    EXPECT_TRUE(listing(d.path()).empty());
}

TEST(SourceFile, PromptEndsWhenStandardInputEnds)
{
    Scratch d;
    std::string names;
    for (int j = 0; j < 1000; ++j)
        names += "missing" + std::to_string(j) + "\n";
    // Standard input is no terminal: the program gives up after a few names.
    auto r = quillard(d.path(), {"nothere"}, names);
    ended(r, 1);
    EXPECT_EQ(count(r.terminal, "Specified source file not found."), 4u);
    EXPECT_TRUE(listing(d.path()).empty());

    auto none = quillard(d.path(), {"nothere"});
    ended(none, 1);
    EXPECT_EQ(count(none.terminal, "Specified source file not found."), 1u);
}

// A source that can be read once but not rewound for the second pass (a
// pipe) is refused before anything is written: an existing picture is left
// alone.
TEST(SourceFile, PipeThatCannotBeReadTwiceIsReported)
{
    Scratch d;
    ASSERT_EQ(::mkfifo((d / "pipe.qld").c_str(), 0644), 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        int fd = -1;
        auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (fd < 0 && !stop && std::chrono::steady_clock::now() < give_up) {
            fd = ::open((d / "pipe.qld").c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (fd >= 0) {
            ssize_t n = ::write(fd, SOURCE.data(), SOURCE.size());
            (void)n;
            ::close(fd);
        }
    });
    spit(d / "pipe.tex", "old picture\n");
    Invocation how;
    how.args = {"pipe"};
    how.timeoutSeconds = 60;
    auto r = hostile::run(d.path(), how);
    stop = true;
    writer.join();
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Source file pipe.qld cannot be read twice"), std::string::npos)
        << r.terminal;
    EXPECT_EQ(slurp(d / "pipe.tex"), "old picture\n");
    EXPECT_FALSE(fs::exists(d / "pipe.org"));
}

TEST(SourceFile, TenMegabyteLineFromAFile)
{
    Scratch d;
    const std::size_t total = 10u * 1024 * 1024 + 1;
    std::string src(total - 1, 'x');
    src += '\n';
    spit(d / "big.qld", src + SOURCE);
    auto r = quillard(d.path(), {"-n", "big"});
    ended(r, 1);
    const std::size_t full = total / 1002;
    EXPECT_EQ(count(r.terminal, "Too long line in input file at ["), 2 * full);
    EXPECT_EQ(count(r.terminal, "\nSyntax error in [" + std::to_string(full + 1) + "]\n"), 2u);
    EXPECT_EQ(count(r.terminal, "(" + std::to_string(full + 4) + " lines)"), 2u);
    std::string body = PICTURE;
    body.insert(body.find('\n') + 1, "\n");   // the empty line of the last piece
    EXPECT_EQ(slurp(d / "big.tex"), body);
}

// ------------------------------------------------------------ the output

// A picture of many megabytes, whose blocks go to the disk while the run
// goes on, lands in the file byte for byte as the translation makes it.
TEST(OutputFile, PictureOfManyMegabytesIsWrittenWhole)
{
    Scratch d;
    std::string src;
    for (int j = 0; j < 200000; ++j)
        src += "r (1.5)\nU (0.25)\nl (1)\nd (0.125)\n";
    spit(d / "plan.qld", src);
    auto r = quillard(d.path(), {"-n", "plan"});
    ended(r, 0);
    Options opt;
    opt.nopt = 1;
    std::string want, transcript;
    ASSERT_EQ(translate(src, "", opt, want, transcript), 0);
    ASSERT_GT(want.size(), 16u << 20);
    EXPECT_TRUE(slurp(d / "plan.tex") == want);
}

TEST(OutputFile, NameThatIsADirectoryIsReported)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    fs::create_directory(d / "plan.tex");
    spit(d / "plan.tex" / "inside", "kept");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot create output file plan.tex"), std::string::npos)
        << r.terminal;
    EXPECT_TRUE(fs::is_directory(d / "plan.tex"));
    EXPECT_EQ(slurp(d / "plan.tex" / "inside"), "kept");
    EXPECT_FALSE(fs::exists(d / "plan.org"));
}

TEST(OutputFile, ReadOnlyCurrentDirectoryIsReported)
{
    if (isroot())
        GTEST_SKIP() << "root may create files in a directory without write permission";
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    fs::permissions(d.path(), fs::perms::owner_read | fs::perms::owner_exec);
    auto r = quillard(d.path(), {"plan"});
    fs::permissions(d.path(), fs::perms::owner_all);
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot create output file plan.tex"), std::string::npos)
        << r.terminal;
    EXPECT_FALSE(fs::exists(d / "plan.tex"));
}

TEST(OutputFile, ReadOnlyCurrentDirectoryWithAnOldOutputWritesNothing)
{
    if (isroot())
        GTEST_SKIP() << "root may create files in a directory without write permission";
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    spit(d / "plan.tex", "old picture\n");
    Snapshot old(d / "plan.tex");
    fs::permissions(d.path(), fs::perms::owner_read | fs::perms::owner_exec);
    auto r = quillard(d.path(), {"plan"});
    fs::permissions(d.path(), fs::perms::owner_all);
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot back up plan.tex in plan.org"), std::string::npos)
        << r.terminal;
    unchanged(d / "plan.tex", old);
    EXPECT_FALSE(fs::exists(d / "plan.org"));
}

// /proc refuses new files to everyone, root included.
TEST(OutputFile, DirectoryWhereNothingCanBeCreatedIsReported)
{
    if (!fs::is_directory("/proc/self"))
        GTEST_SKIP() << "no /proc here";
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    auto r = quillard("/proc/self", {(d / "plan.qld").string()});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot create output file plan.tex"), std::string::npos)
        << r.terminal;
    EXPECT_TRUE(fs::exists(d / "plan.qld"));
}

TEST(OutputFile, BackupNameThatIsADirectoryStopsTheRunBeforeAnythingIsWritten)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    spit(d / "plan.tex", "old picture\n");
    fs::create_directory(d / "plan.org");
    Snapshot old(d / "plan.tex");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot back up plan.tex in plan.org"), std::string::npos)
        << r.terminal;
    EXPECT_EQ(r.terminal.find("Checking Quillard source file"), std::string::npos);
    unchanged(d / "plan.tex", old);
    EXPECT_TRUE(fs::is_directory(d / "plan.org"));
}

TEST(OutputFile, UnreadableOldOutputStopsTheRunBeforeAnythingIsWritten)
{
    if (isroot())
        GTEST_SKIP() << "root reads a file whatever its mode";
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    spit(d / "plan.tex", "old picture\n");
    fs::permissions(d / "plan.tex", fs::perms::owner_write);
    auto r = quillard(d.path(), {"plan"});
    fs::permissions(d / "plan.tex", fs::perms::owner_read | fs::perms::owner_write);
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot back up plan.tex"), std::string::npos) << r.terminal;
    EXPECT_EQ(slurp(d / "plan.tex"), "old picture\n");
}

// ------------------------------------------------------- failing writes

// The output name leads to a device: there is no file to replace, so the
// run stops before anything is written, and the link is left alone.
TEST(WriteFailure, OutputThatIsADeviceIsRefused)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    fs::create_symlink("/dev/full", d / "plan.tex");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot create output file plan.tex: not a regular file"),
              std::string::npos)
        << r.terminal;
    EXPECT_TRUE(fs::is_symlink(d / "plan.tex"));
    EXPECT_FALSE(fs::exists(d / "plan.org")) << "a device is no output file to back up";
}

// A file size limit makes the writes of a large picture fail (EFBIG) for
// root too; the old output must be in the backup by then.
TEST(WriteFailure, FileSizeLimitIsReportedAndTheBackupHoldsTheOldOutput)
{
    Scratch d;
    std::string big;
    for (int j = 0; j < 2000; ++j)
        big += "r (1)\nu (1)\n";
    spit(d / "plan.qld", big);
    spit(d / "plan.tex", "old picture\n");
    Invocation how;
    how.args = {"-n", "plan"};
    how.fileSizeLimit = 4096;
    auto r = hostile::run(d.path(), how);
    ended(r, 1);
    EXPECT_NE(r.terminal.find("Cannot write output file plan.tex: File too large; the previous "
                              "picture is kept."),
              std::string::npos)
        << r.terminal;
    EXPECT_NE(r.terminal.find(FAILED), std::string::npos);
    EXPECT_EQ(slurp(d / "plan.org"), "old picture\n");
    EXPECT_EQ(slurp(d / "plan.tex"), "old picture\n");
    EXPECT_EQ(listing(d.path()), (std::vector<std::string>{"plan.org", "plan.qld", "plan.tex"}))
        << "the temporary file is removed";
}

// Standard output that cannot be written loses the messages but not the
// picture; the program does not die of it, and since the transcript is lost
// the run does not count as a success.
TEST(WriteFailure, FullTerminalDoesNotSpoilThePicture)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    Invocation how;
    how.args = {"plan"};
    how.stdoutPath = "/dev/full";
    auto r = hostile::run(d.path(), how);
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(slurp(d / "plan.tex"), PICTURE);
}

// With standard input and output closed, no file the program opens may take
// their descriptors: no terminal text may end up in the picture.
TEST(WriteFailure, ClosedStandardStreamsDoNotLeakIntoThePicture)
{
    Scratch d;
    std::string src, body;
    for (int j = 0; j < 20000; ++j) {
        src += "r (1)\n";
        body += "\\put(" + std::to_string(j) + ",0){\\line(1,0){1}}\n";
    }
    spit(d / "plan.qld", src);
    spit(d / "plan.tex", "old picture\n");
    Invocation how;
    how.args = {"plan"};
    how.closedStreams = true;
    auto r = hostile::run(d.path(), how);
    ended(r, 0);
    EXPECT_EQ(slurp(d / "plan.tex"),
              "\\begin{picture}(20000,0)(0,0)\n" + body + "\\end{picture}\n");
    EXPECT_EQ(slurp(d / "plan.org"), "old picture\n");
}

// ------------------------------------------------------- source safety

TEST(SourceSafety, SourceNamedLikeItsOwnOutputOrBackupIsRefused)
{
    for (const std::string name : {"plan.tex", "plan.org"}) {
        SCOPED_TRACE(name);
        Scratch d;
        spit(d / name, SOURCE);
        Snapshot before(d / name);
        for (const std::string& arg : {name, "./" + name, (d / name).string(),
                                       "sub/../" + name}) {
            SCOPED_TRACE(arg);
            fs::create_directories(d / "sub");
            auto r = quillard(d.path(), {arg});
            ended(r, 1);
            EXPECT_NE(r.terminal.find("Nothing was written"), std::string::npos) << r.terminal;
            unchanged(d / name, before);
            EXPECT_EQ(listing(d.path()), (std::vector<std::string>{name, "sub"}));
        }
    }
}

TEST(SourceSafety, LinksToTheOutputOrBackupAreRefused)
{
    {
        Scratch d;   // plan.qld is a symbolic link to plan.tex
        spit(d / "plan.tex", SOURCE);
        fs::create_symlink("plan.tex", d / "plan.qld");
        Snapshot before(d / "plan.tex");
        auto r = quillard(d.path(), {"plan"});
        ended(r, 1);
        unchanged(d / "plan.tex", before);
        EXPECT_FALSE(fs::exists(d / "plan.org"));
    }
    {
        Scratch d;   // plan.qld and plan.org are one file; plan.tex exists
        spit(d / "plan.qld", SOURCE);
        fs::create_hard_link(d / "plan.qld", d / "plan.org");
        spit(d / "plan.tex", "old picture\n");
        Snapshot before(d / "plan.qld"), old(d / "plan.tex");
        auto r = quillard(d.path(), {"plan"});
        ended(r, 1);
        unchanged(d / "plan.qld", before);
        unchanged(d / "plan.tex", old);
    }
    {
        Scratch d;   // the source elsewhere, the output name a link to it
        fs::create_directory(d / "src");
        fs::create_directory(d / "run");
        spit(d / "src" / "plan.qld", SOURCE);
        fs::create_symlink("../src/plan.qld", d / "run" / "plan.tex");
        Snapshot before(d / "src" / "plan.qld");
        auto r = quillard(d / "run", {"../src/plan.qld"});
        ended(r, 1);
        unchanged(d / "src" / "plan.qld", before);
    }
    {
        Scratch d;   // the source elsewhere, the backup name a link to it
        fs::create_directory(d / "src");
        fs::create_directory(d / "run");
        spit(d / "src" / "plan.qld", SOURCE);
        fs::create_symlink("../src/plan.qld", d / "run" / "plan.org");
        spit(d / "run" / "plan.tex", "old picture\n");
        Snapshot before(d / "src" / "plan.qld"), old(d / "run" / "plan.tex");
        auto r = quillard(d / "run", {"../src/plan.qld"});
        ended(r, 1);
        unchanged(d / "src" / "plan.qld", before);
        unchanged(d / "run" / "plan.tex", old);
    }
}

TEST(SourceSafety, SourceElsewhereWithTheOutputsNameIsReadAndKept)
{
    Scratch d;
    fs::create_directory(d / "src");
    fs::create_directory(d / "run");
    spit(d / "src" / "plan.tex", SOURCE);
    spit(d / "src" / "plan.org", SOURCE);
    Snapshot tex(d / "src" / "plan.tex"), org(d / "src" / "plan.org");
    auto r = quillard(d / "run", {"../src/plan.tex"});
    ended(r, 0);
    EXPECT_EQ(slurp(d / "run" / "plan.tex"), PICTURE);
    auto again = quillard(d / "run", {"../src/plan.org"});
    ended(again, 0);
    EXPECT_EQ(slurp(d / "run" / "plan.org"), PICTURE) << "the first picture, backed up";
    unchanged(d / "src" / "plan.tex", tex);
    unchanged(d / "src" / "plan.org", org);
}

TEST(SourceSafety, NamesThatAShellWouldInterpretAreJustNames)
{
    Scratch d;
    const std::string name = "a b;touch pwned;$(touch pwned2)`touch pwned3`&|>x<y*'\"";
    spit(d / (name + ".qld"), SOURCE);
    spit(d / (name + ".tex"), "old picture\n");
    Snapshot before(d / (name + ".qld"));
    auto r = quillard(d.path(), {"-n", name});
    ended(r, 0);
    unchanged(d / (name + ".qld"), before);
    EXPECT_EQ(slurp(d / (name + ".tex")), PICTURE);
    EXPECT_EQ(slurp(d / (name + ".org")), "old picture\n");
    EXPECT_EQ(listing(d.path()).size(), 3u) << "nothing else was created";

    auto dash = quillard(d.path(), {"-h"});   // one argument is always the name
    ended(dash, 1);
    spit(d / "-h.qld", SOURCE);
    auto named = quillard(d.path(), {"-h"});
    ended(named, 0);
    EXPECT_EQ(slurp(d / "-h.tex"), PICTURE);
}

TEST(SourceSafety, EverySourceIsLeftAsItWas)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    spit(d / "bad.qld", std::string("r (1)\0\n\r\nZ\n", 11) + std::string(3000, 'q'));
    Snapshot plan(d / "plan.qld"), bad(d / "bad.qld");
    for (const std::string opts : {"-h", "-n", "-bB", "-s", "-hnbBs"}) {
        ended(quillard(d.path(), {opts, "plan"}), 0);
        ended(quillard(d.path(), {opts, "bad.qld"}), 1);
    }
    unchanged(d / "plan.qld", plan);
    unchanged(d / "bad.qld", bad);
}

// -------------------------------------------------- configuration file

TEST(ConfigFile, DirectoryNamedLikeTheConfigurationIsPassedOver)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    fs::create_directory(d / ".quillard");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 0);
    EXPECT_EQ(slurp(d / "plan.tex"), PICTURE);
}

TEST(ConfigFile, OverlongDirectoryInTheEnvironmentIsPassedOver)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    Invocation how;
    how.args = {"plan"};
    how.env = {"QUILLARD=/" + std::string(5000, 'q')};
    auto r = hostile::run(d.path(), how);
    ended(r, 0);
    EXPECT_EQ(slurp(d / "plan.tex"), PICTURE);
    // The same variable naming a real directory is followed.
    fs::create_directory(d / "conf");
    spit(d / "conf" / ".quillard", "\\t = 1\n");
    how.env = {"QUILLARD=" + (d / "conf").string()};
    auto followed = hostile::run(d.path(), how);
    ended(followed, 0);
    const std::string picture = slurp(d / "plan.tex");
    EXPECT_EQ(picture.substr(0, picture.find('\n')), "\\begin{picture}(1,2)(0,0)");
}

TEST(ConfigFile, HostileLinesAreOneConfigurationError)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    using namespace std::string_literals;
    spit(d / ".quillard",
         "\\l = 1\r \n\\t = 1\0\n"s + std::string(5000, '\\') + "\n\\r = 0.5\n");
    auto r = quillard(d.path(), {"plan"});
    ended(r, 1);
    EXPECT_EQ(count(r.terminal, "Configuration file error"), 1u) << r.terminal;
    // Only the right margin was a correct line.
    const std::string picture = slurp(d / "plan.tex");
    EXPECT_EQ(picture.substr(0, picture.find('\n')), "\\begin{picture}(1.5,1)(0,0)");
}

// --------------------------------------------------------------- backup

TEST(Backup, OldOutputIsSavedBeforeTheFirstPass)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    std::string old(3 * 1024 * 1024, '\0');
    for (std::size_t j = 0; j < old.size(); ++j)
        old[j] = static_cast<char>((j * 131) % 256);
    spit(d / "plan.tex", old);
    spit(d / "plan.org", "\\begin{picture}(0,0)(0,0)\n\\end{picture}\n");   // an older one
    auto r = quillard(d.path(), {"plan"});
    ended(r, 0);
    EXPECT_EQ(slurp(d / "plan.org"), old) << "byte for byte, NUL bytes included";
    EXPECT_EQ(slurp(d / "plan.tex"), PICTURE);
    auto exists = r.terminal.find("File plan.tex already exists.\n");
    auto saved = r.terminal.find("Original plan.tex backed up in plan.org.\n");
    auto first = r.terminal.find("Checking Quillard source file:");
    ASSERT_NE(exists, std::string::npos) << r.terminal;
    ASSERT_NE(saved, std::string::npos) << r.terminal;
    ASSERT_NE(first, std::string::npos) << r.terminal;
    EXPECT_LT(exists, saved);
    EXPECT_LT(saved, first);
}

TEST(Backup, SecondRunBacksUpTheFirstPicture)
{
    Scratch d;
    spit(d / "plan.qld", SOURCE);
    ended(quillard(d.path(), {"plan"}), 0);
    EXPECT_FALSE(fs::exists(d / "plan.org"));
    spit(d / "plan.qld", "d (2)\n");
    ended(quillard(d.path(), {"plan"}), 0);
    EXPECT_EQ(slurp(d / "plan.org"), PICTURE);
    EXPECT_EQ(slurp(d / "plan.tex"),
              "\\begin{picture}(0,2)(0,0)\n\\put(0,2){\\line(0,-1){2}}\n\\end{picture}\n");
}

// Files of the backup's or the output's name that Quillard did not write
// survive any number of runs; the first run keeps a hand-written output as
// the backup, which from then on is kept too.
TEST(Backup, FilesQuillardDidNotWriteAreNeverReplaced)
{
    const std::string ORG = "* TODO notes\n** kept\n", PAPER = "\\documentclass{article}\n";
    struct Run {
        std::vector<std::string> args;
        int status;
    };
    struct Case {
        const char* what;
        const char* file;   // made before the first run
        std::string text;
        std::vector<Run> runs;
        std::string org, tex;   // what plan.org (empty: none) and plan.tex hold at the end
    };
    const Case cases[] = {
        {"an Org file", "plan.org", ORG, {{{"plan"}, 0}, {{"plan"}, 1}, {{"plan"}, 1}}, ORG, PICTURE},
        {"an Org file, --no-backup", "plan.org", ORG,
         {{{"plan"}, 0}, {{"--no-backup", "plan"}, 0}, {{"--quiet", "plan"}, 1}}, ORG, PICTURE},
        {"a hand-written paper", "plan.tex", PAPER, {{{"plan"}, 0}, {{"plan"}, 1}}, PAPER, PICTURE},
        {"a hand-written paper, --no-backup", "plan.tex", PAPER,
         {{{"--no-backup", "plan"}, 1}, {{"--quiet", "--no-backup", "plan"}, 1}}, "", PAPER},
        {"an empty backup", "plan.org", "", {{{"plan"}, 0}, {{"plan"}, 0}}, PICTURE, PICTURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scratch d;
        spit(d / "plan.qld", SOURCE);
        spit(d / c.file, c.text);
        for (const auto& run : c.runs) {
            SCOPED_TRACE(run.args.front());
            std::string before = fs::exists(d / "plan.tex") ? slurp(d / "plan.tex") : "";
            auto r = quillard(d.path(), run.args);
            ended(r, run.status);
            if (run.status == 1) {
                if (run.args.front() != "--quiet") {
                    EXPECT_NE(r.terminal.find(" is not a Quillard picture; move it away"),
                              std::string::npos) << r.terminal;
                }
                EXPECT_EQ(fs::exists(d / "plan.tex") ? slurp(d / "plan.tex") : "", before);
            }
        }
        std::vector<std::string> files{"plan.org", "plan.qld", "plan.tex"};
        if (c.org.empty())
            files.erase(files.begin());
        else
            EXPECT_EQ(slurp(d / "plan.org"), c.org);
        EXPECT_EQ(slurp(d / "plan.tex"), c.tex);
        EXPECT_EQ(listing(d.path()), files);
    }
}

}  // namespace
