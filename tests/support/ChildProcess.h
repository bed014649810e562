#pragma once
// A program started for a test, its standard output and error read line by line, killed at the
// end of the test if it is still running.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Starts `program` with `args` and exactly the environment `env` ("NAME=value").
    ChildProcess(const std::filesystem::path& program, std::vector<std::string> args,
                 std::vector<std::string> env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // Reads output until a line matches or the deadline passes; returns the line or "".
    std::string WaitForLine(const std::regex& pattern, std::chrono::milliseconds deadline);

    // True once the process catches `signal` (its handler is installed), false at the deadline.
    bool WaitUntilCatching(int signal, std::chrono::milliseconds deadline) const {
        return WaitForSignalMask("SigCgt", signal, true, deadline);
    }
    // True once a signal sent to the process is no longer pending (its handler has run).
    bool WaitUntilDelivered(int signal, std::chrono::milliseconds deadline) const {
        return WaitForSignalMask("ShdPnd", signal, false, deadline);
    }

    // Sends `signal` (0: none) and waits for the end: the exit code, or 128 + the signal that
    // ended it; -1 when it was still running at the deadline.
    int Signal(int signal, std::chrono::milliseconds deadline = std::chrono::seconds(30));
    int Wait(std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
        return Signal(0, deadline);
    }
    const std::string& Seen() const { return m_seen; }

private:
    bool WaitForSignalMask(const std::string& field, int signal, bool set,
                           std::chrono::milliseconds deadline) const;

    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    std::string m_seen;
};
