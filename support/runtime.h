// Runtime pieces every area uses: the fatal error report, ending the program, file
// numbers, and DynArray, the bounds-checked array with a lower and an upper bound.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>
#include <source_location>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace chartest {

// ---- Fatal errors ------------------------------------------------------------------

enum : int32_t {
    ERR_ILLEGAL_FUNCTION_CALL = 1,
    ERR_FILE_NOT_FOUND = 2,
    ERR_FILE_IO = 3,
    ERR_OUT_OF_MEMORY = 4,
    ERR_OUT_OF_BOUNDS = 6,
    ERR_NULL_POINTER = 7,
};

// The text of an error number ("illegal function call", ...), "" for other numbers.
const char* error_text(int32_t error);

// The upper-case name of the routine a source location lies in:
// "void chartest::MAIN()" gives "MAIN", "int chartest::load_sheet(int)" "LOAD_SHEET".
std::string routine_name(const std::source_location& where);

// The report, exactly as written to standard error:
// "\nAborting due to runtime error 6 (out of bounds array access) at line 12 of
// demo/chartest.cpp::MAIN()\n\n".
std::string fatal_report(int32_t error, const std::source_location& where);

// Writes the report to standard error, runs the teardown and ends the process with the
// error number as its exit code. The location defaults to the caller's.
[[noreturn]] void fatal_error(int32_t error,
                              std::source_location where = std::source_location::current());

// Ends the process with `code` after the teardown (static destructors, open files).
[[noreturn]] void end_program(int32_t code);

// ---- File numbers --------------------------------------------------------------------
//
// Files are opened under numbers 1 to 255, like handles that a program can name.

enum class FileMode { ReadBinary, ReadText, WriteBinary, AppendBinary };

// The lowest number from 1 to 255 that no open file uses, 0 when all are in use.
int32_t free_file_number();
// Opens `path` under `number`. False when the number is invalid or in use, or the
// file cannot be opened (a directory cannot be opened either).
bool file_open(int32_t number, const std::string& path, FileMode mode);
// The stream of an open file number, null when none is open under it.
std::FILE* file_stream(int32_t number);
// Closes the file open under `number`; true when one was open.
bool file_close(int32_t number);
// Reads one line: it ends at LF; a CR right before the LF, or a CR that is the file's
// last byte, goes with the break. Zero bytes and lines of any length are kept. False
// at the end of the file (nothing more could be read).
bool file_read_line(int32_t number, std::string& line);
// The same on a stream of one's own.
bool read_line(std::FILE* stream, std::string& line);

// ---- Bounds-checked arrays -----------------------------------------------------------

// An index that remembers where it was written, so that the bounds check can report
// the caller's line and routine.
struct CheckedIndex {
    int32_t value;
    std::source_location where;
    CheckedIndex(int32_t v, std::source_location w = std::source_location::current())
        : value(v), where(w) {}
};

// A one-dimensional array with a lower and an upper bound; empty is 0 to -1.
// Every access is bounds-checked: outside the bounds is fatal error 6.
template <class T>
class DynArray {
public:
    int32_t lbound() const { return lo_; }
    int32_t ubound() const { return hi_; }
    // Number of elements.
    int32_t count() const { return hi_ - lo_ + 1; }
    bool empty() const { return hi_ < lo_; }

    T& operator[](CheckedIndex i) { return items_[offset(i)]; }
    const T& operator[](CheckedIndex i) const { return items_[offset(i)]; }

    // New bounds with fresh default elements.
    void redim(int32_t lo, int32_t hi, std::source_location w = std::source_location::current()) {
        check_bounds(lo, hi, w);
        items_.clear();
        resize_or_fail(size_for(lo, hi), w);
        lo_ = lo;
        hi_ = hi;
    }

    // New bounds keeping the existing elements in order from the start, as far as they
    // fit; new elements are default. Growing by one at a time is amortised (the vector
    // keeps spare capacity that the bounds never show).
    void redim_preserve(int32_t lo, int32_t hi,
                        std::source_location w = std::source_location::current()) {
        check_bounds(lo, hi, w);
        resize_or_fail(size_for(lo, hi), w);
        lo_ = lo;
        hi_ = hi;
    }

    // Back to 0 to -1.
    void erase() {
        items_.clear();
        lo_ = 0;
        hi_ = -1;
    }

    // Element access in bulk for routines that move whole runs of elements.
    std::vector<T>& storage() { return items_; }
    const std::vector<T>& storage() const { return items_; }

private:
    size_t offset(const CheckedIndex& i) const {
        if (i.value < lo_ || i.value > hi_) fatal_error(ERR_OUT_OF_BOUNDS, i.where);
        return static_cast<size_t>(int64_t{i.value} - lo_);
    }
    static void check_bounds(int32_t lo, int32_t hi, const std::source_location& w) {
        // An upper bound below lo - 1 describes no array.
        if (int64_t{hi} < int64_t{lo} - 1) fatal_error(ERR_OUT_OF_BOUNDS, w);
    }
    void resize_or_fail(size_t n, const std::source_location& w) {
        try {
            items_.resize(n);
        } catch (const std::bad_alloc&) {
            fatal_error(ERR_OUT_OF_MEMORY, w);
        } catch (const std::length_error&) {
            fatal_error(ERR_OUT_OF_MEMORY, w);
        }
    }
    static size_t size_for(int32_t lo, int32_t hi) {
        return static_cast<size_t>(int64_t{hi} - lo + 1);
    }

    std::vector<T> items_;
    int32_t lo_ = 0;
    int32_t hi_ = -1;
};

using StringTable = DynArray<std::string>;

}  // namespace chartest
