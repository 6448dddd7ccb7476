// propedit: edits a .Property file at the console prompt.
//
//   propedit FILE
//
// FILE gets the .Property extension (notes and notes.Property both open notes.Property);
// a missing file starts an empty database. Each round asks for a word:
//
//   Add, Delete, Retrieve, Sort   the tinker command (Add, Delete and Retrieve ask for a
//                                 label, Add for a value too); the database is then
//                                 shown in the echo panel, which takes three keys
//   Save      writes the file again (three key waits)
//   Bounds    shows the bounds of the database array (one key wait)
//   Help      lists the words (two key waits)
//   Quit      or an empty word ends the program
//
// Escape or closing the window ends the program at any prompt or key wait, so every
// change that Add or Delete makes is written to FILE at once.

#include <clocale>
#include <cstdio>
#include <string>

#include "platform/screen.h"
#include "support/constants.h"
#include "support/property_core.h"
#include "support/property_shorthand.h"
#include "support/runtime.h"
#include "support/string_support.h"
#include "support/text_box.h"

namespace {

using namespace chartest;

constexpr uint32_t WHITE = 0xFFFFFFFF;

const std::string WORD_LIST =
    "Add       set a label to a value\r\n"
    "Delete    remove a label\r\n"
    "Retrieve  show the value of a label\r\n"
    "Sort      sort the labels\r\n"
    "Save      write the file again\r\n"
    "Bounds    show the array bounds\r\n"
    "Help      this list\r\n"
    "Quit      end (an empty word too)\r\n"
    "\r\n"
    "Every change is saved at once.\r\n"
    "A panel waits for a key or three.";

// Writes the database to FILENAME when its text differs from what the file was last
// given (or held at the start). The write replaces the file in one step, so a run that
// ends at the next key wait leaves either the old file or the new one.
void save_if_changed(PropertyDb& db, const std::string& filename, std::string& saved_text) {
    std::string text;
    PROPERTY_DATABASE_EXPORT(db, text);
    if (text == saved_text) return;  // a lookup, or deleting a label that was not there
    PROPERTY_SAVE_RAW_BUFFER(text, filename);
    saved_text = text;
}

// The panel prints its waiting message on the second text row, over the panel: that
// row of the text is left empty.
void show_help(const std::string& title) {
    SCREEN_CLEAR();
    SEQ_ECHO_DIRECT(title + "\r\n\r\n" + WORD_LIST);
}

[[noreturn]] void run(const std::string& file_argument) {
    std::setlocale(LC_ALL, "");  // UCWORDS capitalises words by the user's locale

    // One page, both worked on and shown: the prompt draws as keys arrive and never
    // copies a work page onto the visible one.
    if (SCREEN_OPEN(320, 240, 32, 1, 0, 0) != 0) fatal_error(ERR_ILLEGAL_FUNCTION_CALL);

    PropertyDb db;
    std::string filename = file_argument;
    SH_LOAD(db, filename);  // filename now ends in ".Property"
    std::string saved_text;
    PROPERTY_DATABASE_EXPORT(db, saved_text);

    std::string echo;
    for (;;) {
        // The key waits of the library leave VGA colour 15 set, which is near-black
        // without a colour table in the working directory: prompt in white.
        SCREEN_CLEAR();
        SCREEN_COLOR(WHITE);
        TEXT_PRINT("propedit " + filename);
        TEXT_PRINT("Help lists the words, Quit ends.");
        TEXT_PRINT("");

        std::string behavior = PROMPT("Behavior: ");
        std::string word_copy = behavior;  // UCWORDS empties what it is given
        const std::string word = UCWORDS(word_copy);

        if (word.empty() || word == "Quit") end_program(0);
        if (word == "Save") {
            SH_SAVE(db, filename);
        } else if (word == "Bounds") {
            // The bounds are diagnostic output, printed only while the debug switch is on.
            DBDEBUGENABLED = -1;
            echo = SH_BOUNDS(db, echo);
            DBDEBUGENABLED = 0;
        } else if (word == "Help") {
            show_help("Words (in any case):");
        } else if (word == "Add" || word == "Delete" || word == "Retrieve" || word == "Sort") {
            const std::string label = word == "Sort" ? "" : PROMPT("Label: ");
            std::string value = word == "Add" ? PROMPT("Value: ") : "";
            echo = SH_TINKER(db, echo, behavior, label, value);
            save_if_changed(db, filename, saved_text);
            echo = SH_DIRECT(db, echo);
        } else {
            show_help("Unknown word: " + behavior);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    chartest::collect_command_words(argc, argv);
    if (chartest::CMD.ubound() < 1) {
        std::fputs("usage: propedit FILE   (FILE gets the extension .Property)\n", stderr);
        return 2;
    }
    run(chartest::CMD[1]);
}
