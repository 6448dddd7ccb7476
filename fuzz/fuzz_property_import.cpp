// Fuzz target for the property text import and export: any text imports into sorted
// records that hold what its lines say, and exporting and importing again is stable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/property_core.h"

using namespace chartest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The expected records: one per CR LF line holding "=", stably sorted by label.
    std::vector<std::pair<std::string, std::string>> expected;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        const size_t eq = line.find('=');
        if (eq != std::string::npos) expected.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    PropertyDb db;
    std::string buffer = text;
    PROPERTY_DATABASE_IMPORT(db, buffer);
    if (!buffer.empty()) std::abort();
    if (expected.empty() ? db.ubound() != -1 : db.ubound() != static_cast<int32_t>(expected.size()) - 1)
        std::abort();
    for (size_t i = 0; i < expected.size(); ++i) {
        const PROPERTY_DB_TYPE& r = db[static_cast<int32_t>(i)];
        if (r.LABEL != expected[i].first || r.VALUE != expected[i].second || r.ITERATOR != -1 ||
            r.IMAGE != nullptr)
            std::abort();
    }

    // Every present label is found; the search compares as zero-terminated text, so a
    // label is found as any label that agrees with it up to its first zero byte.
    int32_t where = 0;
    for (const auto& [label, value] : expected) {
        if (label.find('\0') != std::string::npos) continue;
        const int32_t at = PROPERTY_BINARY_FIND(db, label, where);
        if (at < 0 || std::strcmp(db[at].LABEL.c_str(), label.c_str()) != 0) std::abort();
    }

    // Export, import, export: the second text equals the first.
    std::string first;
    PROPERTY_DATABASE_EXPORT(db, first);
    std::string copy = first;
    PropertyDb again;
    PROPERTY_DATABASE_IMPORT(again, copy);
    std::string second;
    PROPERTY_DATABASE_EXPORT(again, second);
    if (first != second) std::abort();

    // Deleting every label empties the database.
    for (const auto& [label, value] : expected) PROPERTY_DATABASE_DELETE(db, label);
    return 0;
}
