#include "support/property_core.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "support/file_support.h"
#include "support/memory_management.h"
#include "support/simple_input.h"
#include "support/vga_lookup.h"

namespace chartest {

PROPERTY_DB_TYPE BOGUS{-1, std::string(), std::string(), nullptr};
PROPERTY_DB_TYPE REPORT = BOGUS;
int32_t DBDEBUGENABLED = 0;

namespace {

// Destroys the images of every record between the bounds, from the top down, and clears
// the records. A handle that two records share is destroyed once.
void clear_records(PropertyDb& PROPERTY_DB) {
    std::vector<IMAGE> destroyed;
    std::vector<PROPERTY_DB_TYPE>& records = PROPERTY_DB.storage();
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        it->LABEL.clear();
        it->VALUE.clear();
        it->ITERATOR = -1;
        if (it->IMAGE) {
            if (std::find(destroyed.begin(), destroyed.end(), it->IMAGE) == destroyed.end()) {
                destroyed.push_back(it->IMAGE);
                it->IMAGE = IMAGEDESTROY2(it->IMAGE);
            }
            it->IMAGE = nullptr;
        }
    }
}

// The records between the bounds, in position order.
std::vector<PROPERTY_DB_TYPE>& records_of(PropertyDb& PROPERTY_DB) { return PROPERTY_DB.storage(); }

bool label_before(const PROPERTY_DB_TYPE& a, const PROPERTY_DB_TYPE& b) {
    // std::string compares bytes as unsigned values, a proper prefix first.
    return a.LABEL < b.LABEL;
}

}  // namespace

// ---- The sorted store ------------------------------------------------------------------

void PROPERTY_INC_CAPACITY(PropertyDb& PROPERTY_DB, int32_t COUNTER) {
    if (COUNTER > 0) {
        // All records in one resize; the storage grows geometrically underneath, so
        // growing one record at a time stays amortised. The bounds are exact.
        const int64_t hi = PROPERTY_DB.ubound();
        if (hi == -1) {
            PROPERTY_DB.redim(0, COUNTER - 1);
        } else {
            const int64_t new_hi = hi + COUNTER;
            if (new_hi > std::numeric_limits<int32_t>::max()) fatal_error(ERR_OUT_OF_MEMORY);
            PROPERTY_DB.redim_preserve(0, static_cast<int32_t>(new_hi));
        }
    } else if (COUNTER < 0) {
        const int64_t hi = PROPERTY_DB.ubound();
        if (hi == -1) fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
        const int64_t removals = -int64_t{COUNTER};
        if (removals > hi) {
            // Removing the record at position 0 leaves the emptied state and ends the
            // shrink, however many removals were asked for.
            PROPERTY_DB.redim(-1, -1);
        } else {
            PROPERTY_DB.redim_preserve(0, static_cast<int32_t>(hi - removals));
        }
    }
}

void PROPERTY_ERASE(PropertyDb& PROPERTY_DB) {
    if (PROPERTY_DB.ubound() == -1) return;
    clear_records(PROPERTY_DB);
    PROPERTY_DB.redim(-1, -1);
}

int32_t PROPERTY_BINARY_FIND(PropertyDb& PROPERTY_DB, const std::string& SNAME,
                             int32_t& WHERETOADD) {
    if (PROPERTY_DB.ubound() == -1) {
        WHERETOADD = 0;
        return -1;
    }
    const std::vector<PROPERTY_DB_TYPE>& records = records_of(PROPERTY_DB);
    const int64_t base = PROPERTY_DB.lbound();
    const char* name = SNAME.c_str();
    int64_t LO = PROPERTY_DB.lbound();
    int64_t HI = PROPERTY_DB.ubound();
    while (LO <= HI) {
        const int64_t MD = (LO + HI + 1) / 2;
        // Labels compare as zero-terminated text: strcmp compares unsigned bytes.
        const int RESULT = std::strcmp(name, records[static_cast<size_t>(MD - base)].LABEL.c_str());
        if (RESULT == 0) return static_cast<int32_t>(MD);
        if (RESULT > 0) LO = MD + 1;
        else HI = MD - 1;
    }
    WHERETOADD = static_cast<int32_t>(LO);
    return -1;
}

PROPERTY_DB_TYPE PROPERTY_DATABASE_QUERY(PropertyDb& PROPERTY_DB, const std::string& SNAME) {
    int32_t scratch = 0;
    const int32_t IINDEX = PROPERTY_BINARY_FIND(PROPERTY_DB, SNAME, scratch);
    if (IINDEX >= 0) return PROPERTY_DB[IINDEX];
    return BOGUS;
}

int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME,
                              const std::string& SVALUE) {
    int32_t UNEWPOS = 0;
    const int32_t IINDEX = PROPERTY_BINARY_FIND(PROPERTY_DB, SNAME, UNEWPOS);
    if (IINDEX >= 0) {
        PROPERTY_DB[IINDEX].VALUE = SVALUE;
        return IINDEX;
    }
    // Copied before growing: the caller may pass text that lives in this database, and
    // growing may move it.
    std::string label = SNAME;
    std::string value = SVALUE;
    const int32_t HI = PROPERTY_DB.ubound();
    PROPERTY_INC_CAPACITY(PROPERTY_DB, 1);
    std::vector<PROPERTY_DB_TYPE>& records = records_of(PROPERTY_DB);
    if (UNEWPOS <= HI) {
        // One block move of whole records up by one position; the text moves with its
        // record and is not copied. The slot at UNEWPOS is filled in full below.
        std::move_backward(records.begin() + UNEWPOS, records.end() - 1, records.end());
    }
    PROPERTY_DB_TYPE& slot = PROPERTY_DB[UNEWPOS];
    slot.ITERATOR = -1;
    slot.LABEL = std::move(label);
    slot.VALUE = std::move(value);
    slot.IMAGE = nullptr;
    return UNEWPOS;
}

int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME, int32_t SVALUE) {
    return PROPERTY_DATABASE_SET(PROPERTY_DB, SNAME, std::to_string(SVALUE));
}

int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME, IMAGE SVALUE) {
    return PROPERTY_DATABASE_SET(PROPERTY_DB, SNAME,
                                 std::to_string(reinterpret_cast<uintptr_t>(SVALUE)));
}

int32_t PROPERTY_DATABASE_DELETE(PropertyDb& PROPERTY_DB, const std::string& SNAME) {
    int32_t scratch = 0;
    const int32_t IINDEX = PROPERTY_BINARY_FIND(PROPERTY_DB, SNAME, scratch);
    if (IINDEX == -1) return -1;
    PROPERTY_DB_TYPE& removed = PROPERTY_DB[IINDEX];
    removed.LABEL.clear();
    removed.VALUE.clear();
    std::vector<PROPERTY_DB_TYPE>& records = records_of(PROPERTY_DB);
    // One block move of whole records down by one position; the last slot, which the
    // shrink removes, is left blank.
    const auto at = records.begin() + (IINDEX - PROPERTY_DB.lbound());
    std::move(at + 1, records.end(), at);
    records.back() = PROPERTY_DB_TYPE{};
    PROPERTY_INC_CAPACITY(PROPERTY_DB, -1);
    return IINDEX;
}

void PROPERTY_BUBBLE_SORT(PropertyDb& PROPERTY_DB) {
    if (PROPERTY_DB.ubound() == -1 || PROPERTY_DB.count() < 2) return;
    std::vector<PROPERTY_DB_TYPE>& records = records_of(PROPERTY_DB);
    if (std::is_sorted(records.begin(), records.end(), label_before)) return;

    // An exchange sort that never exchanges equal labels ends in the one stable order;
    // a stable merge sort reaches the same order in O(n log n). It sorts small keys (the
    // first eight label bytes and the position) and falls back to the full labels only
    // when those bytes are equal, then moves every record once into its place.
    struct SortKey {
        uint64_t prefix;
        uint32_t index;
    };
    std::vector<SortKey> keys(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string& label = records[i].LABEL;
        // Big-endian, zero-padded: comparing prefixes orders as comparing those bytes;
        // equal prefixes (short labels, zero bytes) are settled by the full labels.
        uint64_t prefix = 0;
        for (size_t b = 0; b < 8; ++b)
            prefix = (prefix << 8) | (b < label.size() ? static_cast<unsigned char>(label[b]) : 0u);
        keys[i] = {prefix, static_cast<uint32_t>(i)};
    }
    std::stable_sort(keys.begin(), keys.end(), [&records](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return records[a.index].LABEL < records[b.index].LABEL;
    });
    std::vector<PROPERTY_DB_TYPE> sorted(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        sorted[i] = std::move(records[keys[i].index]);
        // LABEL, VALUE and IMAGE move; each position keeps its own ITERATOR.
        sorted[i].ITERATOR = records[i].ITERATOR;
    }
    records.swap(sorted);
}

// ---- Requests --------------------------------------------------------------------------

PROPERTY_DB_TYPE PROPERTY_GET(PropertyDb& PROPERTY_DB, const std::string& LABEL) {
    PROPERTY_DB_TYPE REQUEST;
    REQUEST.LABEL = LABEL;
    return PROPERTY_DATABASE_QUERY(PROPERTY_DB, REQUEST.LABEL);
}

PROPERTY_DB_TYPE PROPERTY_SET(PropertyDb& PROPERTY_DB, const std::string& LABEL,
                              const std::string& VALUE) {
    PROPERTY_DB_TYPE REQUEST;
    REQUEST.LABEL = LABEL;
    REQUEST.VALUE = VALUE;
    REQUEST.ITERATOR = PROPERTY_DATABASE_SET(PROPERTY_DB, REQUEST.LABEL, REQUEST.VALUE);
    const PROPERTY_DB_TYPE& stored = PROPERTY_DB[REQUEST.ITERATOR];
    REQUEST.VALUE = stored.VALUE;
    REQUEST.IMAGE = stored.IMAGE;
    return REQUEST;
}

PROPERTY_DB_TYPE PROPERTY_REQUEST(PropertyDb& PROPERTY_DB, PROPERTY_DB_TYPE& REQUEST,
                                  int32_t MODE) {
    switch (MODE) {
        case PROPERTY_REQUEST_CLEAR:
            // The placeholder of an emptied database is cleared too; then the storage
            // is given up: the never-used state.
            clear_records(PROPERTY_DB);
            PROPERTY_DB.erase();
            PROPERTY_DB.storage().shrink_to_fit();
            return BOGUS;
        case PROPERTY_REQUEST_QUERY:
            REQUEST = PROPERTY_DATABASE_QUERY(PROPERTY_DB, REQUEST.LABEL);
            return REQUEST;
        case PROPERTY_REQUEST_DELETE: {
            const int32_t position = PROPERTY_DATABASE_DELETE(PROPERTY_DB, REQUEST.LABEL);
            REQUEST.ITERATOR = position;
            return BOGUS;
        }
        case PROPERTY_REQUEST_SET: {
            const int32_t position =
                PROPERTY_DATABASE_SET(PROPERTY_DB, REQUEST.LABEL, REQUEST.VALUE);
            REQUEST.ITERATOR = position;
            return REQUEST;
        }
        default:
            return REQUEST;
    }
}

// ---- Text format -----------------------------------------------------------------------

std::string PROPERTY_DB_CRLF_BUFFER(std::string& BUFFER) {
    if (!BUFFER.empty()) BUFFER += "\r\n";
    return BUFFER;
}

namespace {

// The export without the copy of the whole text that PROPERTY_DATABASE_EXPORT returns.
void export_into(PropertyDb& PROPERTY_DB, std::string& BUFFER) {
    PROPERTY_BUBBLE_SORT(PROPERTY_DB);
    const std::vector<PROPERTY_DB_TYPE>& records = records_of(PROPERTY_DB);
    size_t needed = BUFFER.size();
    for (const PROPERTY_DB_TYPE& r : records)
        if (!r.LABEL.empty() && !r.VALUE.empty()) needed += r.LABEL.size() + r.VALUE.size() + 3;
    BUFFER.reserve(needed);
    for (const PROPERTY_DB_TYPE& r : records) {
        if (r.LABEL.empty() || r.VALUE.empty()) continue;
        if (!BUFFER.empty()) BUFFER += "\r\n";
        BUFFER += r.LABEL;
        BUFFER += '=';
        BUFFER += r.VALUE;
    }
}

void show_imported(const PROPERTY_DB_TYPE& record) {
    SCREEN_COLOR(0xFF3FFF3Fu);
    TEXT_PRINT("\"" + record.LABEL + "\"=\"" + record.VALUE + "\"", true);
    std::string MSG;
    SIMPLESLEEP(VGA_TABLE, MSG, 15);
}

}  // namespace

std::string PROPERTY_DATABASE_EXPORT(PropertyDb& PROPERTY_DB, std::string& BUFFER) {
    export_into(PROPERTY_DB, BUFFER);
    return BUFFER;
}

void PROPERTY_DATABASE_IMPORT(PropertyDb& PROPERTY_DB, std::string& BUFFER) {
    PROPERTY_ERASE(PROPERTY_DB);
    // The buffer is walked with an offset; it is emptied once at the end instead of
    // being cut after every line.
    const std::string_view text(BUFFER);
    size_t start = 0;
    while (start < text.size()) {
        const size_t crlf = text.find("\r\n", start);
        const size_t end = crlf == std::string_view::npos ? text.size() : crlf;
        const std::string_view line = text.substr(start, end - start);
        start = crlf == std::string_view::npos ? text.size() : crlf + 2;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        PROPERTY_INC_CAPACITY(PROPERTY_DB, 1);
        PROPERTY_DB_TYPE& record = records_of(PROPERTY_DB).back();
        record.ITERATOR = -1;
        record.LABEL.assign(line.substr(0, eq));
        record.VALUE.assign(line.substr(eq + 1));
        if (DBDEBUGENABLED != 0) show_imported(record);
    }
    BUFFER.clear();
    PROPERTY_BUBBLE_SORT(PROPERTY_DB);
}

// ---- Files -----------------------------------------------------------------------------

namespace {

// The name with its first ".Property" and everything after it replaced by ".Property".
void normalise_property_name(std::string& FILENAME) {
    static const std::string extension = ".Property";
    const size_t at = FILENAME.find(extension);
    if (at != std::string::npos) FILENAME.erase(at);
    FILENAME += extension;
}

// The folder part of a path, with its trailing slash; "" for a bare name.
std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void PROPERTY_SAVE_RAW_BUFFER(const std::string& BUFFER, const std::string& FILENAME) {
    if (FILENAME.empty() || FILENAME.find('\0') != std::string::npos) return;
    const int32_t FILEMODE = free_file_number();
    if (FILEMODE == 0) return;

    // The new text goes to a temporary file beside the target and replaces it by a
    // rename only once it is on disk, so an interrupted or failed save leaves the old
    // file as it was. A folder that cannot be written to refuses the temporary file:
    // nothing is written.
    const std::string folder = folder_of(FILENAME);
    std::string temp = folder + ".property-save-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return;
    // Permissions as a newly created file would get them.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);

    if (!file_open(FILEMODE, temp, FileMode::WriteBinary)) {
        ::unlink(temp.c_str());
        return;
    }
    std::FILE* f = file_stream(FILEMODE);
    bool written = BUFFER.empty() || std::fwrite(BUFFER.data(), 1, BUFFER.size(), f) == BUFFER.size();
    written = written && std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    file_close(FILEMODE);
    if (!written) {
        ::unlink(temp.c_str());
        fatal_error(ERR_FILE_IO);
    }
    if (std::rename(temp.c_str(), FILENAME.c_str()) != 0) {
        // The target cannot be replaced (it is a folder, for one): it stays as it is.
        ::unlink(temp.c_str());
        return;
    }
    sync_folder(folder);
}

void PROPERTY_LOAD_RAW_BUFFER(std::string& BUFFER, std::string& FILENAME) {
    normalise_property_name(FILENAME);
    if (IS_FILE(FILENAME) == 0) return;
    const int32_t FILEMODE = free_file_number();
    if (FILEMODE == 0) return;
    if (!file_open(FILEMODE, FILENAME, FileMode::ReadBinary)) return;
    std::FILE* f = file_stream(FILEMODE);
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        file_close(FILEMODE);
        fatal_error(ERR_FILE_IO);
    }
    BUFFER.assign(static_cast<size_t>(size), ' ');
    if (size > 0 && std::fread(BUFFER.data(), 1, BUFFER.size(), f) != BUFFER.size()) {
        file_close(FILEMODE);
        fatal_error(ERR_FILE_IO);
    }
    file_close(FILEMODE);
}

void PROPERTY_DATABASE_SAVE(PropertyDb& PROPERTY_DB, const std::string& FILENAME) {
    std::string MSG;
    SIMPLESLEEP(VGA_TABLE, MSG, 15);
    std::string BUFFER;
    export_into(PROPERTY_DB, BUFFER);
    SIMPLESLEEP(VGA_TABLE, MSG, 15);
    PROPERTY_SAVE_RAW_BUFFER(BUFFER, FILENAME);
    SIMPLESLEEP(VGA_TABLE, MSG, 15);
}

void PROPERTY_DATABASE_LOAD(PropertyDb& PROPERTY_DB, std::string& FILENAME) {
    normalise_property_name(FILENAME);
    std::string BUFFER;
    PROPERTY_LOAD_RAW_BUFFER(BUFFER, FILENAME);
    PROPERTY_DATABASE_IMPORT(PROPERTY_DB, BUFFER);
}

// ---- Word digest -----------------------------------------------------------------------

void PROPERTY_DIGEST_WORD(PropertyDb& PROPERTY_DB, std::string& BUFFER) {
    PROPERTY_ERASE(PROPERTY_DB);
    const std::string_view text(BUFFER);
    auto add = [&PROPERTY_DB](std::string_view value) {
        PROPERTY_INC_CAPACITY(PROPERTY_DB, 1);
        char label[16];
        std::snprintf(label, sizeof label, "%X", static_cast<unsigned>(PROPERTY_DB.ubound() + 1));
        PROPERTY_DB_TYPE& record = records_of(PROPERTY_DB).back();
        record.ITERATOR = -1;
        record.LABEL = label;
        record.VALUE.assign(value);
    };
    // The text is walked with an offset instead of being cut after every word, and the
    // next line break and space are searched for again only once they have been passed.
    constexpr size_t none = std::string_view::npos;
    size_t start = 0;
    size_t crlf = text.find("\r\n");
    size_t space = text.find(' ');
    while (start < text.size()) {
        if (crlf != none && crlf < start) crlf = text.find("\r\n", start);
        if (space != none && space < start) space = text.find(' ', start);
        if (crlf != none && (space == none || crlf < space)) {
            add(text.substr(start, crlf - start));
            add("{% CRLF %}");
            start = crlf + 2;
        } else {
            const size_t end = space == none ? text.size() : space;
            add(text.substr(start, end - start));
            start = space == none ? text.size() : space + 1;
        }
    }
    BUFFER.clear();
    PROPERTY_BUBBLE_SORT(PROPERTY_DB);
    PROPERTY_DATABASE_SAVE(PROPERTY_DB, PROPERTY_DIGEST_FILE);
}

}  // namespace chartest
