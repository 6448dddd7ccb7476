#include "support/constants.h"

namespace chartest {

StringTable CMD;
std::string SPRITEPATH;
std::string PROPERTY_TEXT_BUFFER;

void collect_command_words(int argc, char** argv) {
    CMD.erase();
    for (int32_t index = 0;; ++index) {
        // Words past the last argument count as empty.
        const char* word = index < argc && argv[index] ? argv[index] : "";
        if (!*word) break;
        CMD.redim_preserve(0, index);
        CMD[index] = word;
    }
}

}  // namespace chartest
