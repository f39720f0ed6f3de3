// Every input kept in fuzz/regressions (a crash, a leak, a hang or a broken
// invariant the fuzzer once found) is translated again with the fuzzer's
// own checks.  Under the sanitizer build they catch the original fault too.
#include "fuzzinput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(FuzzFindings, EveryKeptInputTranslatesCleanly)
{
    const fs::path dir = QUILLARD_FUZZ_REGRESSIONS;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file() && e.path().filename() != "README.md")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no kept inputs in " << dir;
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        std::ifstream in(f, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        EXPECT_EQ(fuzzinput::check(ss.str()), "");
    }
}

}  // namespace
