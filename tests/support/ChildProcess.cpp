#include "support/ChildProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <thread>

ChildProcess::ChildProcess(const std::filesystem::path& program, std::vector<std::string> args,
                           std::vector<std::string> env) {
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string path = program.string();
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int rc = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    m_out = out[0];
    if (rc != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start " + path);
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    close(m_out);
}

std::string ChildProcess::WaitForLine(const std::regex& pattern,
                                      std::chrono::milliseconds deadline) {
    auto until = std::chrono::steady_clock::now() + deadline;
    while (true) {
        for (auto nl = m_buffer.find('\n'); nl != std::string::npos; nl = m_buffer.find('\n')) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            m_seen += line + "\n";
            if (std::regex_search(line, pattern))
                return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd p{m_out, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return "";
        char chunk[512];
        ssize_t n = read(m_out, chunk, sizeof chunk);
        if (n <= 0)
            return "";
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ChildProcess::WaitForSignalMask(const std::string& field, int signal, bool set,
                                     std::chrono::milliseconds deadline) const {
    const auto until = std::chrono::steady_clock::now() + deadline;
    const unsigned long long bit = 1ULL << (signal - 1);
    do {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(field + ":", 0) == 0 &&
                ((std::stoull(line.substr(field.size() + 1), nullptr, 16) & bit) != 0) == set)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // polling /proc, not a thread
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

int ChildProcess::Signal(int signal, std::chrono::milliseconds deadline) {
    if (signal != 0)
        kill(m_pid, signal);
    // A process descriptor becomes readable when the process ends: wait on it, bounded.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
    pollfd p{pidfd, POLLIN, 0};
    const bool ended = pidfd >= 0 && poll(&p, 1, static_cast<int>(deadline.count())) == 1;
    if (pidfd >= 0)
        close(pidfd);
    int status = 0;
    if (!ended || waitpid(m_pid, &status, 0) != m_pid)
        return -1;
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
