#include "support/runtime.h"

#include <stdio.h>
#include <sys/stat.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace chartest {

// ---- Fatal errors ------------------------------------------------------------------

const char* error_text(int32_t error) {
    switch (error) {
        case ERR_ILLEGAL_FUNCTION_CALL: return "illegal function call";
        case ERR_FILE_NOT_FOUND: return "file not found";
        case ERR_FILE_IO: return "file I/O error";
        case ERR_OUT_OF_MEMORY: return "out of memory";
        case ERR_OUT_OF_BOUNDS: return "out of bounds array access";
        case ERR_NULL_POINTER: return "null pointer access";
        default: return "";
    }
}

std::string routine_name(const std::source_location& where) {
    // The compiler's signature: "ret ns::Class::name(args)" or, inside a lambda,
    // "ns::name(args)::<lambda()>". The routine is the identifier right before the first
    // parameter list.
    std::string_view sig = where.function_name();
    const size_t paren = sig.find('(');
    std::string_view head = sig.substr(0, paren);
    if (const size_t lt = head.find('<'); lt != std::string_view::npos) {
        // Template arguments in a return type come before the name; drop "name<...>"
        // arguments that follow it.
        const size_t last_space = head.rfind(' ');
        if (last_space != std::string_view::npos && lt > last_space) head = head.substr(0, lt);
    }
    const size_t start = head.find_last_of(": ");
    std::string_view name = start == std::string_view::npos ? head : head.substr(start + 1);
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string fatal_report(int32_t error, const std::source_location& where) {
    std::string report = "\nAborting due to runtime error " + std::to_string(error);
    report += std::string(" (") + error_text(error) + ")";
    report += " at line " + std::to_string(where.line());
    report += std::string(" of ") + where.file_name() + "::" + routine_name(where) + "()\n\n";
    return report;
}

void fatal_error(int32_t error, std::source_location where) {
    const std::string report = fatal_report(error, where);
    std::fflush(stdout);
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
    end_program(error);
}

void end_program(int32_t code) {
    // std::exit runs the static destructors: the globals' teardown, the facility's
    // window and the open files.
    std::exit(code);
}

// ---- File numbers --------------------------------------------------------------------

namespace {

struct FileSlots {
    std::array<std::FILE*, 256> streams{};
    ~FileSlots() {
        for (std::FILE*& f : streams)
            if (f) std::fclose(f), f = nullptr;
    }
};

FileSlots& slots() {
    static FileSlots s;
    return s;
}

bool valid_number(int32_t n) { return n >= 1 && n <= 255; }

}  // namespace

int32_t free_file_number() {
    for (int32_t n = 1; n <= 255; ++n)
        if (!slots().streams[n]) return n;
    return 0;
}

bool file_open(int32_t number, const std::string& path, FileMode mode) {
    if (!valid_number(number) || slots().streams[number]) return false;
    if (path.find('\0') != std::string::npos) return false;
    const char* how = mode == FileMode::WriteBinary    ? "wb"
                      : mode == FileMode::AppendBinary ? "ab"
                                                       : "rb";
    std::FILE* f = std::fopen(path.c_str(), how);
    if (!f) return false;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return false;
    }
    slots().streams[number] = f;
    return true;
}

std::FILE* file_stream(int32_t number) {
    return valid_number(number) ? slots().streams[number] : nullptr;
}

bool file_close(int32_t number) {
    std::FILE* f = file_stream(number);
    if (!f) return false;
    std::fclose(f);
    slots().streams[number] = nullptr;
    return true;
}

bool file_read_line(int32_t number, std::string& line) { return read_line(file_stream(number), line); }

bool read_line(std::FILE* f, std::string& line) {
    line.clear();
    if (!f) return false;
    // getdelim keeps zero bytes and grows its buffer for lines of any length.
    static char* buffer = nullptr;
    static size_t capacity = 0;
    const ssize_t n = getdelim(&buffer, &capacity, '\n', f);
    if (n <= 0) return false;
    size_t len = static_cast<size_t>(n);
    const bool had_lf = buffer[len - 1] == '\n';
    if (had_lf) --len;
    // A CR belongs to the break when the LF follows it, or when it is the file's last
    // byte (without an LF, getdelim stopped at the end of the file).
    if (len > 0 && buffer[len - 1] == '\r') --len;
    line.assign(buffer, len);
    return true;
}

}  // namespace chartest
