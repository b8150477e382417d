#pragma once
#include <string>
#include <vector>

// The command-line conventions of the Linux programs, and how they end.
//
// An option is "--name value" or "--name=value"; where X programs' habits apply, "-name" is the
// same option. Each option comes at most once. An option that takes a value never takes an
// empty one, nor the next option: that is a forgotten value, not a file called "--ticks".
// "--help" (or "-h") anywhere asks for the usage and nothing else.

enum ExitStatus : int {
    kExitDone = 0,
    kExitFailed = 1,   // the display, a file or memory failed
    kExitBadInput = 2, // options, files or windows from outside were refused; nothing was done
};

enum class OptionDashes { Two, OneOrTwo };

struct OptionRule {
    const char* name; // without dashes
    bool takesValue;
};

struct GivenOption {
    std::string name;  // without dashes
    std::string value; // empty for an option that takes none
};

bool AsksForHelp(const std::vector<std::string>& args, OptionDashes dashes);

// The options in the order given, each checked against `rules`. On failure `error` says why in
// one line.
bool ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRule>& rules, OptionDashes dashes,
                 std::vector<GivenOption>& given, std::string& error);

// Prints "PROGRAM: MESSAGE" on the standard error; returns `status`.
int Report(const char* program, int status, const std::string& message);

// Runs `run` on the arguments after the program's name; a failed allocation anywhere ends the
// program with one line and kExitFailed rather than an abort.
int RunProgram(const char* program, int argc, char** argv, int (*run)(const std::vector<std::string>& args));
