// The quillo-lab program: it reports its ports, answers, and stops cleanly on a signal.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <regex>

#include "LabClient.h"
#include "support/ChildProcess.h"

namespace {

// The lab program with its data folder in `dataHome`.
class Program : public ChildProcess {
public:
    Program(std::vector<std::string> args, const std::filesystem::path& dataHome)
        : ChildProcess(QUILLO_LAB_PROGRAM, std::move(args),
                       {"XDG_DATA_HOME=" + dataHome.string(), "HOME=" + dataHome.string()}) {}
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
