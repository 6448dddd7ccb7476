// sheettool: looks at, checks, compares and converts 16 x 16 glyph font sheets.
//
//   sheettool COMMAND ARGS...     sheettool --help     sheettool COMMAND --help

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sheettool/command.h"

namespace sheettool {
namespace {

const Command* const kCommands[] = {&MAKE, &GRID, &LINT, &DIFF, &CONVERT, &EXPLAIN};

void print_overview(std::FILE* out) {
    std::fprintf(out, "usage: sheettool COMMAND ARGS...\n\n"
                      "Font sheets are BMPs with 256 glyphs in a 16 x 16 grid of equal cells\n"
                      "(code = row * 16 + column), read exactly as the character test reads them.\n\n"
                      "commands:\n");
    for (const Command* c : kCommands) std::fprintf(out, "  sheettool %s\n", c->synopsis);
    std::fprintf(out, "\n'sheettool COMMAND --help' describes a command.\n");
}

bool is_help(const std::string& arg) { return arg == "--help" || arg == "-h"; }

int run(int argc, char** argv) {
    if (argc < 2) {
        print_overview(stderr);
        return kUsageExit;
    }
    const std::string name = argv[1];
    if (is_help(name)) {
        print_overview(stdout);
        return 0;
    }
    const Command* command = nullptr;
    for (const Command* c : kCommands)
        if (name == c->name) command = c;
    if (!command) {
        std::fprintf(stderr, "sheettool: unknown command '%s'\n\n", name.c_str());
        print_overview(stderr);
        return kUsageExit;
    }

    Args args;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (is_help(arg)) {
            std::printf("usage: sheettool %s\n\n%s", command->synopsis, command->description);
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            std::string value;
            bool has_value = false;
            if (const size_t eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
                has_value = true;
            }
            bool known = false;
            for (const std::string& o : command->options) known = known || o == arg;
            if (!known) return usage_error(*command, "unknown option '" + arg + "'");
            if (!has_value) {
                if (i + 1 >= argc) return usage_error(*command, "option " + arg + " needs a value");
                value = argv[++i];
            }
            args.options[arg] = value;
        } else if (arg == "--") {
            for (++i; i < argc; ++i) args.positional.emplace_back(argv[i]);
        } else {
            args.positional.push_back(arg);
        }
    }
    if (args.positional.size() < command->min_args) return usage_error(*command, "missing arguments");
    if (args.positional.size() > command->max_args) return usage_error(*command, "too many arguments");
    return command->run(args);
}

}  // namespace

int usage_error(const Command& command, const std::string& message) {
    std::fprintf(stderr, "sheettool %s: %s\nusage: sheettool %s\n", command.name, message.c_str(),
                 command.synopsis);
    return kUsageExit;
}

bool parse_int(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int v = std::atoi(text.c_str());
    if (v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace sheettool

int main(int argc, char** argv) { return sheettool::run(argc, argv); }
