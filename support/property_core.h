// The property database: a key/value store of records kept in label order in a
// bounds-checked dynamic array, its record-shaped requests, its ".Property" text form and
// files, and the word digest.
//
// A database is in one of three states:
//   never used (or cleared by PROPERTY_REQUEST_CLEAR)  bounds 0 to -1, no records
//   holding n properties                              bounds 0 to n - 1
//   emptied (the last record was removed)             bounds -1 to -1, one placeholder
// An upper bound of -1 means "no properties" in both empty states; the placeholder is
// never a property.
//
// Label order compares bytes as unsigned values, a proper prefix first, case-sensitive.
// The search compares labels as zero-terminated text; the sort compares full lengths.
#pragma once

#include <cstdint>
#include <string>

#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

// One property. Copies share the IMAGE handle and copy the text; destroying a record
// never frees its image.
struct PROPERTY_DB_TYPE {
    int32_t ITERATOR = 0;  // a position in a database, -1 for none
    std::string LABEL;
    std::string VALUE;
    ::chartest::IMAGE IMAGE = nullptr;  // attached by callers, never by the database
};

using PropertyDb = DynArray<PROPERTY_DB_TYPE>;

// The record that stands for a missing property: ITERATOR -1, empty texts, null image.
// Routines hand back copies and never change it.
extern PROPERTY_DB_TYPE BOGUS;
// A copy of BOGUS from the start of the run, for programs built on the library.
extern PROPERTY_DB_TYPE REPORT;
// When not 0, the import shows every property it reads and waits for a key.
extern int32_t DBDEBUGENABLED;

// ---- The sorted store ------------------------------------------------------------------

// Grows (COUNTER > 0) by blank records at the end, or shrinks (COUNTER < 0) from the end.
// Growing an empty database starts at bounds 0 to 0; shrinking the last record leaves the
// emptied state and stops there. Shrinking a database whose upper bound is -1 is fatal
// error 1.
void PROPERTY_INC_CAPACITY(PropertyDb& PROPERTY_DB, int32_t COUNTER);
// Clears every record (destroying its image) and leaves the emptied state; a database
// whose upper bound is -1 is left alone.
void PROPERTY_ERASE(PropertyDb& PROPERTY_DB);
// The position of a record labelled SNAME, or -1. On a miss WHERETOADD gets the position
// where SNAME belongs; on a hit it is not written. The probe takes the upper middle of an
// even range, which decides which of several equal labels is found.
int32_t PROPERTY_BINARY_FIND(PropertyDb& PROPERTY_DB, const std::string& SNAME,
                             int32_t& WHERETOADD);
// A copy of the record labelled SNAME, or of BOGUS.
PROPERTY_DB_TYPE PROPERTY_DATABASE_QUERY(PropertyDb& PROPERTY_DB, const std::string& SNAME);
// Replaces the value of SNAME, or inserts it in label order; returns its position. The
// integer form stores decimal text, the image form the handle's number as unsigned
// decimal text (the IMAGE field is not touched).
int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME,
                              const std::string& SVALUE);
int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME, int32_t SVALUE);
int32_t PROPERTY_DATABASE_SET(PropertyDb& PROPERTY_DB, const std::string& SNAME, IMAGE SVALUE);
// Removes SNAME (its image is not freed); returns the position it had, or -1.
int32_t PROPERTY_DATABASE_DELETE(PropertyDb& PROPERTY_DB, const std::string& SNAME);
// Sorts into label order, stably. LABEL, VALUE and IMAGE move; every position keeps its
// own ITERATOR.
void PROPERTY_BUBBLE_SORT(PropertyDb& PROPERTY_DB);

// ---- Requests --------------------------------------------------------------------------

enum : int32_t {
    PROPERTY_REQUEST_QUERY = 1,
    PROPERTY_REQUEST_SET = 2,
    PROPERTY_REQUEST_DELETE = 4,
    PROPERTY_REQUEST_CLEAR = 8,
};

// A copy of the record labelled LABEL, or of BOGUS.
PROPERTY_DB_TYPE PROPERTY_GET(PropertyDb& PROPERTY_DB, const std::string& LABEL);
// Sets LABEL to VALUE; returns ITERATOR = its position, LABEL, VALUE and the stored
// record's IMAGE.
PROPERTY_DB_TYPE PROPERTY_SET(PropertyDb& PROPERTY_DB, const std::string& LABEL,
                              const std::string& VALUE);
// One operation chosen by MODE (exact values, tested in the order 8, 1, 4, 2):
//   CLEAR   clears every record (images destroyed) and returns the database to the
//           never-used state; returns BOGUS.
//   QUERY   REQUEST becomes the record labelled REQUEST.LABEL, or BOGUS; returns it.
//   DELETE  REQUEST.ITERATOR = the removed position or -1; returns BOGUS.
//   SET     REQUEST.ITERATOR = where REQUEST.LABEL now stands; returns REQUEST.
// Any other mode returns REQUEST unchanged.
PROPERTY_DB_TYPE PROPERTY_REQUEST(PropertyDb& PROPERTY_DB, PROPERTY_DB_TYPE& REQUEST,
                                  int32_t MODE);

// ---- Text format -----------------------------------------------------------------------
//
// Lines separated by CR LF, none after the last; each property line is LABEL=VALUE split
// at the first "=". Writers skip records with an empty label or value; readers skip lines
// without "=".

// Appends CR LF to BUFFER unless it is empty; returns a copy.
std::string PROPERTY_DB_CRLF_BUFFER(std::string& BUFFER);
// Sorts the database and appends its properties to BUFFER (CR LF before each when BUFFER
// is not empty); returns a copy of BUFFER.
std::string PROPERTY_DATABASE_EXPORT(PropertyDb& PROPERTY_DB, std::string& BUFFER);
// Replaces the database by the properties of BUFFER, in label order (equal labels in the
// order of the text), and empties BUFFER.
void PROPERTY_DATABASE_IMPORT(PropertyDb& PROPERTY_DB, std::string& BUFFER);

// ---- Files -----------------------------------------------------------------------------

// Replaces FILENAME (used as given) by BUFFER. The text goes to a temporary file in the
// same folder, is flushed to disk and renamed over FILENAME, so FILENAME is always either
// its old content or the new one. Nothing is written when the folder cannot be written
// to. A failed write removes the temporary file and ends with fatal error 3.
void PROPERTY_SAVE_RAW_BUFFER(const std::string& BUFFER, const std::string& FILENAME);
// Normalises FILENAME to the ".Property" extension (cut before its first ".Property",
// then ".Property" appended) and reads that file into BUFFER. A missing or unopenable
// file leaves BUFFER as it was.
void PROPERTY_LOAD_RAW_BUFFER(std::string& BUFFER, std::string& FILENAME);
// Waits for a key, exports the database (sorting it), waits, writes FILENAME as given,
// waits: three keys through the message line.
void PROPERTY_DATABASE_SAVE(PropertyDb& PROPERTY_DB, const std::string& FILENAME);
// Normalises FILENAME as PROPERTY_LOAD_RAW_BUFFER does and imports the file.
void PROPERTY_DATABASE_LOAD(PropertyDb& PROPERTY_DB, std::string& FILENAME);

// ---- Word digest -----------------------------------------------------------------------

// The file the digest saves to.
inline const std::string PROPERTY_DIGEST_FILE = "./Assets (v0x22)/Words.Property";

// Replaces the database by one record per word of BUFFER (separated by single spaces and
// CR LF) and one "{% CRLF %}" record per line break, labelled with their 1-based sequence
// numbers in upper-case hexadecimal; sorts it and saves it to PROPERTY_DIGEST_FILE
// (three key waits). Empties BUFFER.
void PROPERTY_DIGEST_WORD(PropertyDb& PROPERTY_DB, std::string& BUFFER);

}  // namespace chartest
