#pragma once
#include <string>
#include <vector>

// Runs one of XScreenSaver's helper programs and waits for it, while the saver stays able to
// end: a quit signal stops the helper and the wait.
class HelperProgram {
public:
    enum class Outcome { Succeeded, Failed, TimedOut, Quit };

    // The helper's path: the first executable `name` in the directories of `searchPath` (a
    // PATH value), else in XScreenSaver's folders for its modes and helpers. Empty when none.
    static std::string Find(const std::string& name, const char* searchPath);

    // Starts `arguments` (the first is the program's path) in a process group of its own and
    // waits up to `timeoutMs`. The group is ended (SIGTERM, then SIGKILL) when the time runs
    // out or a quit signal comes; whatever of it outlives the helper is ended in any case.
    // `detail` says what went wrong, in a few words, for everything but success.
    static Outcome Run(const std::vector<std::string>& arguments, int timeoutMs, std::string& detail);
};
