// Fuzz target for the character test's line reading and line text: any input splits
// into lines whose texts are well formed, and nothing of the input is lost but the
// line breaks and the outer quotes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/chartest_loop.h"
#include "support/runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::FILE* f = fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    if (!f) return 0;
    std::string line, rebuilt;
    size_t lines = 0;
    while (chartest::read_line(f, line)) {
        ++lines;
        if (line.find('\n') != std::string::npos) std::abort();
        rebuilt += line;
        std::string r = line;
        chartest::strip_outer_quotes(r);
        if (!r.empty() && (r.front() == '"' || r.back() == '"')) std::abort();
        if (line.find(r) == std::string::npos) std::abort();
        const std::string v = chartest::ascii_seq_text(r);
        if (v.compare(0, r.size() + 2, "\"" + r + "\"") != 0) std::abort();
        // Each byte adds itself, one to three digits, and a comma after the first.
        const size_t codes = v.size() - r.size() - 16;
        if (!r.empty() && (codes < 2 * r.size() - 1 || codes > 4 * r.size() - 1)) std::abort();
    }
    std::fclose(f);
    // Only line breaks are dropped: LF, and a CR right before one or at the very end.
    std::string without_breaks;
    for (size_t i = 0; i < input.size(); ++i) {
        if (input[i] == '\n') continue;
        if (input[i] == '\r' && (i + 1 == input.size() || input[i + 1] == '\n')) continue;
        without_breaks += input[i];
    }
    if (rebuilt != without_breaks) std::abort();
    if (size > 0 && lines == 0) std::abort();
    return 0;
}
