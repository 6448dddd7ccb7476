#pragma once

#include "support/runtime.h"

namespace chartest {}  // namespace chartest
