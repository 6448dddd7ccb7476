// The commands of sheettool and what they share: parsed arguments and usage errors.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sheettool {

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--scale" -> "3"

    // The value of an option, or `fallback` when it was not given.
    std::string get(const std::string& name, const std::string& fallback = "") const {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
    bool has(const std::string& name) const { return options.count(name) != 0; }
};

struct Command {
    const char* name;
    const char* synopsis;     // "make OUT.bmp [--cell 8|16]"
    const char* description;  // the rest of --help, several lines
    std::vector<std::string> options;  // every option takes a value
    size_t min_args, max_args;         // positional arguments
    int (*run)(const Args&);
};

extern const Command MAKE, GRID, LINT, DIFF, CONVERT, EXPLAIN;

// Exit code of every command for a malformed command line.
constexpr int kUsageExit = 2;

// Prints "sheettool NAME: MESSAGE" and the synopsis on standard error; returns kUsageExit.
int usage_error(const Command& command, const std::string& message);

// Parses a whole number in [low, high]; false for anything else.
bool parse_int(const std::string& text, int low, int high, int& value);

}  // namespace sheettool
