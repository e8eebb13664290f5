// child_process.h — runs a piece of test code in a forked child with its
// standard streams captured, for behaviour that ends the process (runtime
// errors, faults, the debugger protocol).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ChildResult {
    // The exit code (0-255), or -1 when the child was killed by a signal.
    int exitCode = -1;
    int signal = 0;
    std::string out;
    std::string err;
};

// Forks; the child feeds `input` to its standard input (then end of input),
// runs `body`, and exits with 0 if body returns. Gives up on a child that
// runs longer than `timeoutSeconds` (it is killed).
ChildResult RunInChild(const std::function<void()>& body, const std::string& input = "", int timeoutSeconds = 30);

// Runs a program with arguments (no shell) and captures its streams the same
// way.
ChildResult RunProgram(const std::vector<std::string>& argv, int timeoutSeconds = 30);
