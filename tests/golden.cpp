// Runs the golden cases of tests/golden/*.cases against the built program:
// each case in a fresh directory, comparing the files it writes, the
// terminal text after the banner and the exit status.  FORMAT.md beside the
// cases describes their layout.
#include "quillard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Section {
    std::string kind;   // "input", "expect", "terminal", "contains", "status", "absent"
    std::string path;
    std::string text;
};

struct Case {
    std::string file;
    int line = 0;
    std::string name;
    std::vector<std::string> args{"plan"};
    std::string stdinText;
    std::vector<std::pair<std::string, std::string>> env;
    std::vector<Section> sections;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.file << ":" << c.line << " " << c.name;
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

std::vector<Case> parse(const fs::path& file)
{
    std::vector<Case> cases;
    std::istringstream in(slurp(file));
    std::string line;
    int lineno = 0;
    Section* open = nullptr;
    bool noeol = false;
    auto close = [&]() {
        if (open != nullptr && noeol && !open->text.empty() && open->text.back() == '\n')
            open->text.pop_back();
        open = nullptr;
    };
    while (std::getline(in, line)) {
        ++lineno;
        if (line.rfind("### ", 0) == 0) {
            close();
            Case c;
            c.file = file.filename().string();
            c.line = lineno;
            c.name = line.substr(4);
            cases.push_back(c);
            continue;
        }
        if (cases.empty())
            continue;
        Case& c = cases.back();
        if (line.rfind("--- ", 0) == 0) {
            close();
            std::string head = line.substr(4);
            noeol = false;
            const std::string tag = " [noeol]";
            if (head.size() > tag.size() && head.compare(head.size() - tag.size(), tag.size(), tag) == 0) {
                noeol = true;
                head.resize(head.size() - tag.size());
            }
            Section s;
            if (head == "expect terminal") {
                s.kind = "terminal";
            } else if (head == "expect terminal contains") {
                s.kind = "contains";
            } else if (head == "expect stderr") {
                s.kind = "stderr";
            } else if (head == "expect status") {
                s.kind = "status";
            } else if (head.rfind("expect ", 0) == 0) {
                s.kind = "expect";
                s.path = head.substr(7);
            } else if (head.rfind("absent ", 0) == 0) {
                s.kind = "absent";
                s.path = head.substr(7);
            } else {
                s.kind = "input";
                s.path = head;
            }
            c.sections.push_back(s);
            open = &c.sections.back();
            continue;
        }
        if (open != nullptr) {
            open->text += line;
            open->text += '\n';
            continue;
        }
        if (line.rfind("args:", 0) == 0)
            c.args = words(line.substr(5));
        else if (line.rfind("stdin: ", 0) == 0)
            c.stdinText = line.substr(7) + "\n";
        else if (line.rfind("env: ", 0) == 0) {
            std::string kv = line.substr(5);
            auto eq = kv.find('=');
            c.env.emplace_back(kv.substr(0, eq), eq == std::string::npos ? "" : kv.substr(eq + 1));
        }
    }
    close();
    return cases;
}

std::vector<Case> allcases()
{
    std::vector<Case> all;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(QUILLARD_GOLDEN_DIR))
        if (e.path().extension() == ".cases")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        for (auto& c : parse(f))
            all.push_back(c);
    return all;
}

struct Result {
    int status = -1;
    std::string term;
    std::string err;   // standard error
};

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size())
        s.replace(p, from.size(), to);
    return s;
}

Result run(const Case& c, const fs::path& dir)
{
    fs::path outFile = dir.parent_path() / (dir.filename().string() + ".stdout");
    fs::path inFile = dir.parent_path() / (dir.filename().string() + ".stdin");
    fs::path errFile = dir.parent_path() / (dir.filename().string() + ".stderr");
    {
        std::ofstream(inFile, std::ios::binary) << c.stdinText;
    }
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(125);
        int in = open(inFile.c_str(), O_RDONLY);
        int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0)
            _exit(125);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        unsetenv("QUILLARD");
        for (const auto& [k, v] : c.env)
            setenv(k.c_str(), replaceAll(v, "{dir}", dir.string()).c_str(), 1);
        std::vector<std::string> args;
        args.push_back(QUILLARD_BINARY);
        for (const auto& a : c.args)
            args.push_back(a);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(QUILLARD_BINARY, argv.data());
        _exit(126);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.term = slurp(outFile);
    r.err = slurp(errFile);
    return r;
}

class Golden : public ::testing::TestWithParam<Case> {};

TEST_P(Golden, Case)
{
    const Case& c = GetParam();
    SCOPED_TRACE(c.file + ":" + std::to_string(c.line) + ": " + c.name);
    fs::path base = fs::temp_directory_path() / ("quillard-golden-" + std::to_string(getpid()));
    fs::path dir = base / ("case" + std::to_string(c.line) + "-" + fs::path(c.file).stem().string());
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Whatever the case's outcome, its files go, and so does the folder of
    // this process's cases once it is empty (a later case makes it again).
    struct Cleanup {
        fs::path dir;
        ~Cleanup()
        {
            std::error_code ec;
            fs::remove_all(dir, ec);
            fs::remove(dir.parent_path() / (dir.filename().string() + ".stdout"), ec);
            fs::remove(dir.parent_path() / (dir.filename().string() + ".stdin"), ec);
            fs::remove(dir.parent_path() / (dir.filename().string() + ".stderr"), ec);
            fs::remove(dir.parent_path(), ec);
        }
    } cleanup{dir};
    for (const auto& s : c.sections) {
        if (s.kind != "input")
            continue;
        fs::path p = dir / s.path;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << s.text;
    }
    Result r = run(c, dir);
    // The banner opens the transcript; with long options (--quiet, --help,
    // --output=-) standard output may hold no banner at all.
    std::string ban(banner());
    bool longopt = std::any_of(c.args.begin(), c.args.end(),
                               [](const std::string& a) { return a.rfind("--", 0) == 0 && a.size() > 2; });
    bool opened = r.term.compare(0, ban.size(), ban) == 0;
    if (!longopt) {
        ASSERT_TRUE(opened) << "the banner does not open the transcript";
    }
    std::string after = opened ? r.term.substr(ban.size()) : r.term;
    bool checked = false;
    for (const auto& s : c.sections) {
        if (s.kind == "terminal") {
            EXPECT_EQ(after, s.text) << "terminal";
        } else if (s.kind == "contains") {
            std::string want = s.text;
            if (!want.empty() && want.back() == '\n')
                want.pop_back();
            EXPECT_NE(after.find(want), std::string::npos) << "terminal lacks: " << want
                                                           << "\nterminal:\n" << after;
        } else if (s.kind == "stderr") {
            EXPECT_EQ(r.err, s.text) << "standard error";
        } else if (s.kind == "status") {
            EXPECT_EQ(r.status, std::stoi(s.text)) << "exit status";
        } else if (s.kind == "expect") {
            fs::path p = dir / s.path;
            EXPECT_TRUE(fs::exists(p)) << s.path << " was not written";
            EXPECT_EQ(slurp(p), s.text) << s.path;
        } else if (s.kind == "absent") {
            EXPECT_FALSE(fs::exists(dir / s.path)) << s.path << " exists";
        } else {
            continue;
        }
        checked = true;
    }
    EXPECT_TRUE(checked) << "the case checks nothing";

    // The in-memory translation must give the same picture, transcript and
    // status as the program, for cases that involve no other file.
    bool plain = c.stdinText.empty() && c.env.empty() && !c.args.empty() && c.args.size() <= 2 &&
                 c.args.back() == "plan" && (c.args.size() == 1 || c.args[0][0] == '-');
    const Section* src = nullptr;
    for (const auto& s : c.sections) {
        if (s.kind == "input" && s.path == "plan.qld")
            src = &s;
        else if (s.kind == "input" || (s.kind == "expect" && s.path != "plan.tex"))
            plain = false;
    }
    if (plain && src != nullptr && r.status <= 1) {
        Options opt;
        opt.quiet = c.args[0] == "--quiet";
        if (c.args.size() == 2 && !opt.quiet) {
            for (char ch : c.args[0].substr(1)) {
                opt.hopt |= ch == 'h';
                opt.nopt |= ch == 'n';
                opt.sopt |= ch == 's';
                if (ch == 'b' || ch == 'B')
                    opt.boxopt = ch == 'b' ? 1 : 2;
                if (std::string("hnbBs").find(ch) == std::string::npos)
                    plain = false;
            }
        }
        if (plain) {
            std::string out, transcript;
            int status = translate(src->text, "", opt, out, transcript, "plan.qld");
            EXPECT_EQ(status, r.status) << "in-memory status";
            EXPECT_EQ(transcript, opt.quiet ? r.err : after) << "in-memory transcript";
            if (fs::exists(dir / "plan.tex")) {
                EXPECT_EQ(out, slurp(dir / "plan.tex")) << "in-memory picture";
            }
        }
    }
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string n = fs::path(info.param.file).stem().string() + "_" + std::to_string(info.param.line);
    return n;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(allcases()), caseName);

}  // namespace
