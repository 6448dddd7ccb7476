// Fuzz target for the word digest: any text becomes one record per word and line
// break, labelled with unique hexadecimal sequence numbers in label order. The working
// folder must have no word list folder, so that the save writes nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/screen.h"
#include "support/property_core.h"

using namespace chartest;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (access("Assets (v0x22)", F_OK) == 0) {
        std::fprintf(stderr, "fuzz_digest: run it where there is no \"Assets (v0x22)\" folder\n");
        std::exit(1);
    }
    headless::select();
    if (SCREEN_OPEN(320, 240, 32, 16, 0, 0) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The expected values in text order.
    std::vector<std::string> values;
    for (size_t start = 0; start < text.size();) {
        const size_t crlf = text.find("\r\n", start), space = text.find(' ', start);
        if (crlf != std::string::npos && (space == std::string::npos || crlf < space)) {
            values.push_back(text.substr(start, crlf - start));
            values.push_back("{% CRLF %}");
            start = crlf + 2;
        } else {
            const size_t end = space == std::string::npos ? text.size() : space;
            values.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }

    PropertyDb db;
    std::string buffer = text;
    headless::push_keys("abc");
    PROPERTY_DIGEST_WORD(db, buffer);
    if (!buffer.empty() || headless::pending_keys() != 0) std::abort();
    if (db.ubound() != static_cast<int32_t>(values.size()) - 1) std::abort();
    for (int32_t i = 0; i <= db.ubound(); ++i) {
        const PROPERTY_DB_TYPE& r = db[i];
        if (i > 0 && !(db[i - 1].LABEL < r.LABEL)) std::abort();
        const unsigned long number = std::strtoul(r.LABEL.c_str(), nullptr, 16);
        char label[16];
        std::snprintf(label, sizeof label, "%lX", number);
        if (r.LABEL != label || number < 1 || number > values.size()) std::abort();
        if (r.VALUE != values[number - 1] || r.ITERATOR != -1) std::abort();
    }
    return 0;
}
