// Fuzz target for the text box layout: for any text and any width, the layout ends,
// keeps every character that is not a space or a line break, in order, and (from width
// 2 on) makes no line longer than the width.
//
// Input: byte 0 gives the width (-49 to 49); byte 1 chooses raw bytes (even) or a small
// alphabet of spaces, CR, LF, hyphens and letters (odd) for the rest, the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/text_box.h"

using namespace chartest;

namespace {

// The text without CR LF pairs (taken left to right), spaces and hyphens: what a layout
// may neither lose nor add.
std::string kept(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (text[i] != ' ' && text[i] != '-') out.push_back(text[i]);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t w = static_cast<int8_t>(data[0]) % 50;
    const bool small_alphabet = data[1] & 1;
    static const char alphabet[] = "  \r\n\r\n-abcdefgh";
    std::string text;
    for (size_t i = 2; i < size; ++i)
        text.push_back(small_alphabet ? alphabet[data[i] % (sizeof alphabet - 1)]
                                      : static_cast<char>(data[i]));

    const std::string before = text;
    const std::string laid_out = TEXT_BOX_STRING(text, w, 30);
    if (text != before) std::abort();
    if (kept(laid_out) != kept(text)) std::abort();
    if (text.empty() && !laid_out.empty()) std::abort();
    const auto hyphens = [](const std::string& s) { return std::count(s.begin(), s.end(), '-'); };
    if (hyphens(laid_out) < hyphens(text)) std::abort();
    if (w >= 2) {
        size_t start = 0;
        while (true) {
            const size_t end = laid_out.find("\r\n", start);
            const size_t line = (end == std::string::npos ? laid_out.size() : end) - start;
            if (line > static_cast<size_t>(w)) std::abort();
            if (end == std::string::npos) break;
            start = end + 2;
        }
    }
    return 0;
}
