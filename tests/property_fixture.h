// Helpers for tests of the property database.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/property_core.h"

namespace chartest {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The database's records as (label, value) pairs, in the order it holds them.
inline Pairs pairs(PropertyDb& db) {
    Pairs out;
    for (int32_t i = 0; i <= db.ubound(); ++i) out.emplace_back(db[i].LABEL, db[i].VALUE);
    return out;
}

}  // namespace chartest
