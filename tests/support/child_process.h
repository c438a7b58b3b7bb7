#pragma once
// Runs a program in a child process with a deadline, for cases that may crash or hang: the
// test sees an exit code or a timeout instead of dying or waiting with the child.

#include <chrono>
#include <cstdint>
#include <string>

namespace cutshape::test {

struct ChildResult {
    bool timedOut = false;
    std::uint32_t exitCode = 0; // the process's exit code; for a crash, the exception code
    std::string output;         // standard output and error
};

// Starts `program` with `arguments` (one command-line string), collects what it writes to
// its standard output and error, and waits at most `deadline`; a child still running then is
// ended and reported as timed out. The output is read while the child runs (so a talkative
// child never blocks on a full pipe) and only until it exits: a process the child started
// may keep the pipe open longer. Throws win::Error when the program cannot be started.
ChildResult runChildCapturingOutput(const std::wstring& program, const std::wstring& arguments,
                                    std::chrono::milliseconds deadline);

// The full path of a program beside the running one.
std::wstring besideThisProgram(const std::wstring& fileName);

} // namespace cutshape::test
