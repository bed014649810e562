// The quillo-lab program: it reports its ports, answers, and stops cleanly on a signal.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>

#include "LabClient.h"

extern char** environ;

namespace {

class Program {
public:
    explicit Program(std::vector<std::string> args, const std::filesystem::path& dataHome) {
        int out[2];
        if (pipe(out) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), QUILLO_LAB_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env = {"XDG_DATA_HOME=" + dataHome.string(),
                                        "HOME=" + dataHome.string()};
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        int rc =
            posix_spawn(&m_pid, QUILLO_LAB_PROGRAM, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_out = out[0];
        if (rc != 0)
            throw std::runtime_error("cannot start quillo-lab");
    }
    ~Program() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
    }

    // Reads output until a line matches or the deadline passes; returns the line or "".
    std::string WaitForLine(const std::regex& pattern, std::chrono::seconds deadline) {
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

    int Signal(int signal) {
        kill(m_pid, signal);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int Wait() { return Signal(0); }
    const std::string& Seen() const { return m_seen; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    std::string m_seen;
};

TEST(ProgramTest, ServesUntilSigtermThenStopsCleanly) {
    TempDir temp;
    Program program({"--http-port", "0", "--https-port=0", "--state", (temp / "state").string(),
                     "--latest-version", "2.00"},
                    temp.path());
    std::smatch ports;
    std::string started =
        program.WaitForLine(std::regex("plain HTTP on 127\\.0\\.0\\.1:(\\d+), HTTPS on "
                                       "127\\.0\\.0\\.1:(\\d+)"),
                            std::chrono::seconds(20));
    ASSERT_TRUE(std::regex_search(started, ports, std::regex(":(\\d+), HTTPS on [^:]+:(\\d+)")))
        << program.Seen();

    LabClient client;
    HttpAnswer index = client.Get("http://127.0.0.1:" + ports[1].str() + "/lab/");
    EXPECT_EQ(index.status, 200);
    EXPECT_NE(index.body.find("\"https\": " + ports[2].str()), std::string::npos);
    HttpAnswer home = client.Request("GET", "http://127.0.0.1:" + ports[1].str() + "/", "",
                                     {"Host: quillo.lab.localhost"});
    EXPECT_NE(home.body.find("<!-- Quillo_Latest_Version 2.00 -->"), std::string::npos);
    // One line per request on standard output.
    EXPECT_NE(program.WaitForLine(std::regex("GET http://quillo\\.lab\\.localhost/ -> 200"),
                                  std::chrono::seconds(20)),
              "");
    EXPECT_TRUE(std::filesystem::exists(temp / "quillo" / "certs" / "ROOT" / "quillo-lab-ca.pem"));

    EXPECT_EQ(program.Signal(SIGTERM), 0);
    EXPECT_NE(program.WaitForLine(std::regex("stopping \\(SIGTERM\\)"), std::chrono::seconds(20)),
              "");
}

TEST(ProgramTest, ReportsABusyPortAndBadOptions) {
    TempDir temp;
    Program first({"--http-port", "0", "--https-port", "0", "--state", (temp / "a").string()},
                  temp.path());
    std::smatch match;
    std::string line = first.WaitForLine(std::regex("plain HTTP on 127\\.0\\.0\\.1:(\\d+)"),
                                         std::chrono::seconds(20));
    ASSERT_TRUE(std::regex_search(line, match, std::regex("127\\.0\\.0\\.1:(\\d+)")));

    Program second(
        {"--http-port", match[1].str(), "--https-port", "0", "--state", (temp / "b").string()},
        temp.path());
    EXPECT_NE(second.WaitForLine(std::regex("cannot listen on 127\\.0\\.0\\.1:" + match[1].str()),
                                 std::chrono::seconds(20)),
              "");
    EXPECT_EQ(second.Wait(), 1);

    Program bad({"--http-port", "http"}, temp.path());
    EXPECT_NE(bad.WaitForLine(std::regex("not a port number"), std::chrono::seconds(20)), "");
    EXPECT_EQ(bad.Wait(), 2);

    EXPECT_EQ(first.Signal(SIGINT), 0);
}

}  // namespace
