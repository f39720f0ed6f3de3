// libFuzzer target over the whole in-memory translation.  The input layout
// and the checks are in fuzzinput.h: besides what the sanitizers catch,
// every input must translate with a sane exit status, a picture framed by a
// fixed-notation header and the closing line, and the same texts when it is
// translated again.
#include "fuzzinput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string what =
        fuzzinput::check(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!what.empty()) {
        std::fprintf(stderr, "quillard_fuzz: %s\n", what.c_str());
        std::abort();
    }
    return 0;
}
