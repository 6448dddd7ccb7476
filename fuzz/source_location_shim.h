// Forced into fuzz builds with clang 14 (-include), whose standard library headers give
// no std::source_location: a stand-in built on the compiler builtins (the locations it
// gives may be those of a default argument, which a fuzzer does not mind). Other
// compilers get the real one.
#pragma once

#if __cplusplus >= 202002L
#include <cstdint>
#include <source_location>

#if defined(__clang__) && !__has_builtin(__builtin_source_location)
namespace std {
struct source_location {
    static constexpr source_location current(const char* file = __builtin_FILE(),
                                             const char* function = __builtin_FUNCTION(),
                                             unsigned line = __builtin_LINE(),
                                             unsigned column = __builtin_COLUMN()) noexcept {
        source_location s;
        s.file_ = file;
        s.function_ = function;
        s.line_ = line;
        s.column_ = column;
        return s;
    }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }
    constexpr uint_least32_t line() const noexcept { return line_; }
    constexpr uint_least32_t column() const noexcept { return column_; }

private:
    const char* file_ = "";
    const char* function_ = "";
    uint_least32_t line_ = 0;
    uint_least32_t column_ = 0;
};
}  // namespace std
#endif
#endif
