// The plain HTTP path, page reading and the upgrade download against real local servers.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "net/Download.h"
#include "net/FormRequest.h"
#include "net/NetTest.h"
#include "support/ScriptedServer.h"
#include "support/TestHttpServer.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

ScriptedReply Answer(const std::string& status, const std::string& body,
                     ScriptedReply::Then then = ScriptedReply::Then::Close) {
    return ScriptedReply{"HTTP/1.0 " + status + "\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body,
                         then};
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Points the AllTel form (a plain one) at `hostPort` and `path`.
CFormRequest PlainForm(const std::string& hostPort, const std::string& path) {
    OverrideStringForTests(IDS_ALLTEL_HOST, hostPort);
    OverrideStringForTests(IDS_ALLTEL_PATH, path);
    return CFormRequest(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
}

}  // namespace

class PlainPerformTest : public NetTest {};

TEST_F(PlainPerformTest, SendsExactlyTheFormRequest) {
    ScriptedServer server([](const RawRequest&) { return Answer("200 OK", "ok"); });
    OverrideStringForTests(IDS_ALLTEL_HOST, server.HostPort());
    CFormRequest request(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
    request.AddField("min", "5551234567");
    request.AddField("text", "ok");
    EXPECT_EQ(request.Perform(), "ok");

    ASSERT_EQ(server.Requests().size(), 1u);
    const RawRequest sent = server.Requests()[0];
    EXPECT_EQ(sent.RequestLine(), "POST /customer_site/jsp/messaging.jsp HTTP/1.0");
    EXPECT_EQ(Sorted(sent.HeaderLines()),
              (std::vector<std::string>{
                  "Content-Length: 22", "Content-Type: application/x-www-form-urlencoded",
                  "Host: " + server.HostPort(), "User-Agent: Microsoft Internet Explorer"}));
    EXPECT_EQ(sent.body, "min=5551234567&text=ok");
}

TEST_F(PlainPerformTest, EmptyFormAndDuplicateNamesAndAPathWithoutSlash) {
    ScriptedServer server([](const RawRequest&) { return Answer("200 OK", "fine"); });

    CFormRequest empty = PlainForm(server.HostPort(), "/count.php");
    EXPECT_EQ(empty.Perform(), "fine");

    // The US Cellular form's path comes without its leading "/".
    OverrideStringForTests(IDS_USCELLULAR_HOST, server.HostPort());
    CFormRequest repeated(IDS_USCELLULAR_HOST, IDS_USCELLULAR_PATH, VerbPost, kFormContentType,
                          false);
    repeated.AddField("to", "5551230002");
    repeated.AddField("to", "5551230001");
    repeated.AddField("msg", "Hi there.");
    EXPECT_EQ(repeated.Perform(), "fine");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].RequestLine(), "POST /count.php HTTP/1.0");
    const std::vector<std::string> emptyHeaders = requests[0].HeaderLines();
    EXPECT_NE(std::find(emptyHeaders.begin(), emptyHeaders.end(), "Content-Length: 0"),
              emptyHeaders.end());
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[1].RequestLine(), "POST /uscwmss HTTP/1.0");
    EXPECT_EQ(requests[1].body, "to=5551230002&to=5551230001&msg=Hi+there.");
}

TEST_F(PlainPerformTest, RemovesEveryCarriageReturnAndLineFeed) {
    ScriptedServer server(
        [](const RawRequest&) { return Answer("200 OK", "<html>\r\nSent\r\n</html>\n\r\r\n"); });
    EXPECT_EQ(PlainForm(server.HostPort(), "/send").Perform(), "<html>Sent</html>");
}

TEST_F(PlainPerformTest, StatusOtherThan200ThrowsTheStatus) {
    TestHttpServer server;
    server.Routes().Post("/broken", [](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content("<html>Internal trouble</html>", "text/html");
    });
    server.Routes().Post("/elsewhere", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
    });
    server.Start();
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/broken").Perform(); }), 500u);
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/elsewhere").Perform(); }), 404u);
}

TEST_F(PlainPerformTest, FollowsARedirect) {
    TestHttpServer server;
    server.Routes().Post("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/new");  // 302
    });
    server.Routes().Get("/new", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("arrived", "text/plain");
    });
    server.Start();
    CFormRequest request = PlainForm(server.HostPort(), "/old");
    request.AddField("a", "1");
    EXPECT_EQ(request.Perform(), "arrived");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "a=1");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/new");
    EXPECT_EQ(requests[1].version, "HTTP/1.0");
}

TEST_F(PlainPerformTest, CookieSetForOneWorkerTravelsWithTheOthersRequest) {
    TestHttpServer server;
    server.Routes().Post("/login", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Set-Cookie", "session=abc123; Path=/");
        response.set_content("welcome", "text/plain");
    });
    server.Routes().Post(
        "/check", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("cookie=" + request.get_header_value("Cookie"), "text/plain");
        });
    server.Start();
    const std::string host = server.HostPort("cookies.localhost");

    std::string first, second;
    std::thread core([&] { first = PlainForm(host, "/login").Perform(); });
    core.join();
    std::thread queue([&] { second = PlainForm(host, "/check").Perform(); });
    queue.join();
    EXPECT_EQ(first, "welcome");
    EXPECT_EQ(second, "cookie=session=abc123");

    // The cookie belongs to its server: another host name does not get it.
    EXPECT_EQ(PlainForm(server.HostPort("other.localhost"), "/check").Perform(), "cookie=");
    inet::ClearCookiesForTests();
    EXPECT_EQ(PlainForm(host, "/check").Perform(), "cookie=");
}

TEST_F(PlainPerformTest, BothWorkerThreadsPerformAtTheSameTime) {
    TestHttpServer server;
    std::atomic<int> inside{0}, mostInside{0};
    server.Routes().Post(
        "/send", [&](const httplib::Request& request, httplib::Response& response) {
            const int now = ++inside;
            int seen = mostInside.load();
            while (now > seen && !mostInside.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(milliseconds(20));  // the server's own pace
            --inside;
            response.set_content("got " + request.body, "text/plain");
        });
    server.Start();
    OverrideStringForTests(IDS_ALLTEL_HOST, server.HostPort());
    OverrideStringForTests(IDS_ALLTEL_PATH, "/send");

    constexpr int kEach = 15;
    auto worker = [](const std::string& name, int& good) {
        for (int i = 0; i < kEach; ++i) {
            CFormRequest request(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType,
                                 false);
            request.AddField(name, std::to_string(i));
            if (request.Perform() == "got " + name + "=" + std::to_string(i))
                ++good;
        }
    };
    int coreGood = 0, queueGood = 0;
    std::thread core(worker, "core", std::ref(coreGood));
    std::thread queue(worker, "queue", std::ref(queueGood));
    core.join();
    queue.join();
    EXPECT_EQ(coreGood, kEach);
    EXPECT_EQ(queueGood, kEach);
    EXPECT_EQ(mostInside.load(), 2);
}

TEST_F(PlainPerformTest, ConnectionBrokenMidBodyFailsTheRequest) {
    ScriptedServer reset([](const RawRequest&) {
        return ScriptedReply{"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\npartial",
                             ScriptedReply::Then::Reset};
    });
    const std::uint32_t resetCode =
        ThrownCode([&] { PlainForm(reset.HostPort(), "/send").Perform(); });
    EXPECT_TRUE(resetCode == inet::kErrorConnectionReset ||
                resetCode == inet::kErrorConnectionAborted)
        << resetCode;

    ScriptedServer early([](const RawRequest&) {
        return ScriptedReply{"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\npartial"};
    });
    EXPECT_EQ(ThrownCode([&] { PlainForm(early.HostPort(), "/send").Perform(); }),
              inet::kErrorConnectionAborted);

    ScriptedServer silent([](const RawRequest&) { return ScriptedReply{}; });
    EXPECT_EQ(ThrownCode([&] { PlainForm(silent.HostPort(), "/send").Perform(); }),
              inet::kErrorInvalidServerResponse);
}

TEST_F(PlainPerformTest, NoServerThrowsThePlatformCode) {
    std::uint16_t port;
    {
        ScriptedServer gone;
        port = gone.Port();
    }
    EXPECT_EQ(ThrownCode([&] { PlainForm("127.0.0.1:" + std::to_string(port), "/").Perform(); }),
              inet::kErrorCannotConnect);
    EXPECT_EQ(ThrownCode([&] { PlainForm("bad host:80", "/").Perform(); }), inet::kErrorInvalidUrl);
}

TEST_F(PlainPerformTest, AnswerOverTheSizeLimitFails) {
    TestHttpServer server;
    server.Routes().Post("/huge", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(inet::kMaxHeldAnswer + 1, 'x'), "text/plain");
    });
    server.Routes().Get("/huge", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(inet::kMaxHeldAnswer + 1, 'x'), "text/plain");
    });
    server.Start();
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/huge").Perform(); }),
              inet::kErrorNotEnoughMemory);
    std::string text;
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/huge", text), 4);
    EXPECT_LE(text.size(), inet::kMaxHeldAnswer);
}

TEST_F(PlainPerformTest, SilentServerFailsAfterTheStallTime) {
    inet::SetNetworkTimeoutsForTests(milliseconds(5000), milliseconds(300));
    ScriptedServer server([](const RawRequest&) {
        return ScriptedReply{"", ScriptedReply::Then::Hang};
    });
    const auto start = steady_clock::now();
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/send").Perform(); }),
              inet::kErrorTimeout);
    EXPECT_LT(ElapsedSince(start), milliseconds(3000));

    // A server that stops in the middle of its answer too.
    ScriptedServer stalls([](const RawRequest&) {
        return ScriptedReply{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nhalf",
                             ScriptedReply::Then::Hang};
    });
    std::string text;
    EXPECT_EQ(FetchPage("http://" + stalls.HostPort() + "/", text), 4);
    EXPECT_EQ(text, "half");
}

TEST_F(PlainPerformTest, ADrippingServerRunsIntoTheDeadlineOfAFormAndOfAPage) {
    inet::Timeouts timeouts = inet::kDefaultTimeouts;
    timeouts.deadline = milliseconds(400);
    inet::SetNetworkTimeoutsForTests(timeouts);
    // A byte every 20 ms never stalls, but would take minutes.
    ScriptedServer server([](const RawRequest&) {
        ScriptedReply reply = Answer("200 OK", std::string(10'000, 'x'));
        reply.dripBytes = 1;
        reply.dripPause = milliseconds(20);
        return reply;
    });
    const auto start = steady_clock::now();
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/send").Perform(); }),
              inet::kErrorTimeout);
    std::string text;
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/", text), 4);
    EXPECT_LT(ElapsedSince(start), milliseconds(5000));
}

TEST_F(PlainPerformTest, ShutdownEndsAHangingRequestAndStartsNoOther) {
    ScriptedServer server([](const RawRequest&) {
        RequestShutdown();  // while the client waits for the answer
        return ScriptedReply{"", ScriptedReply::Then::Hang};
    });
    const auto start = steady_clock::now();
    EXPECT_EQ(ThrownCode([&] { PlainForm(server.HostPort(), "/send").Perform(); }),
              inet::kErrorOperationCancelled);
    EXPECT_LT(ElapsedSince(start), milliseconds(3000));

    std::string text;
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/", text), 4);
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(PlainPerformTest, ProxyComesFromTheEnvironment) {
    ScriptedServer proxy([](const RawRequest&) { return Answer("200 OK", "via proxy"); });
    const char* noProxy = std::getenv("no_proxy");
    const std::string savedNoProxy = noProxy != nullptr ? noProxy : "";
    ::setenv("http_proxy", ("http://" + proxy.HostPort()).c_str(), 1);
    ::unsetenv("no_proxy");
    std::string answer;
    const std::uint32_t code =
        ThrownCode([&] { answer = PlainForm("gateway.invalid:8080", "/send").Perform(); });
    ::unsetenv("http_proxy");
    if (noProxy != nullptr)
        ::setenv("no_proxy", savedNoProxy.c_str(), 1);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(answer, "via proxy");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].RequestLine(), "POST http://gateway.invalid:8080/send HTTP/1.0");
}

class FetchPageTest : public NetTest {};

TEST_F(FetchPageTest, ReturnsThePageWithoutLineBreaks) {
    TestHttpServer server;
    server.Routes().Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html>\r\n<!-- Quillo_Latest_Version 1.07 -->\r\n</html>\r\n",
                             "text/html");
    });
    server.Start();
    std::string text = "old";
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/", text), 0);
    EXPECT_EQ(text, "<html><!-- Quillo_Latest_Version 1.07 --></html>");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Microsoft Internet Explorer");
    EXPECT_FALSE(requests[0].HasHeader("Accept"));
}

TEST_F(FetchPageTest, AnErrorPageIsReadLikeAnyOther) {
    TestHttpServer server;
    server.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content("<html>Not here</html>", "text/html");
    });
    server.Start();
    std::string text;
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/missing", text), 0);
    EXPECT_EQ(text, "<html>Not here</html>");
}

TEST_F(FetchPageTest, BrokenConnectionGivesFourAndWhatWasRead) {
    ScriptedServer server([](const RawRequest&) {
        return ScriptedReply{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nfirst\r\npart"};
    });
    std::string text;
    EXPECT_EQ(FetchPage("http://" + server.HostPort() + "/", text), 4);
    EXPECT_EQ(text, "firstpart");

    std::uint16_t port;
    {
        ScriptedServer gone;
        port = gone.Port();
    }
    text = "old";
    EXPECT_EQ(FetchPage("http://127.0.0.1:" + std::to_string(port) + "/", text), 4);
    EXPECT_EQ(text, "");
    EXPECT_EQ(FetchPage("file:///etc/hostname", text), 4);
    EXPECT_EQ(FetchPage("quillo.lab.localhost/", text), 4);
}

class DownloadTest : public NetTest {};

TEST_F(DownloadTest, StatusFirstThenChunksOfAtMost1024Bytes) {
    std::string file(2500, '\0');
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7);
    ScriptedServer server([&](const RawRequest&) { return Answer("200 OK", file); });

    std::vector<std::string> events;
    std::string received;
    const std::uint32_t result =
        Download(server.HostPort(), "/download/QuilloSetup.exe",
                 DownloadEvents{[&](int status) {
                                    events.push_back("status " + std::to_string(status));
                                    return true;
                                },
                                [&](std::string_view chunk) {
                                    EXPECT_LE(chunk.size(), kDownloadChunkBytes);
                                    EXPECT_FALSE(chunk.empty());
                                    events.push_back("chunk");
                                    received.append(chunk);
                                    return true;
                                }});
    EXPECT_EQ(result, 0u);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front(), "status 200");
    EXPECT_EQ(received, file);

    ASSERT_EQ(server.Requests().size(), 1u);
    const RawRequest sent = server.Requests()[0];
    EXPECT_EQ(sent.RequestLine(), "GET /download/QuilloSetup.exe HTTP/1.0");
    EXPECT_EQ(Sorted(sent.HeaderLines()),
              (std::vector<std::string>{"Accept: application/*", "Host: " + server.HostPort(),
                                        "User-Agent: Quillo"}));
}

TEST_F(DownloadTest, AFailedStatusStopsBeforeTheBody) {
    ScriptedServer server(
        [](const RawRequest&) { return Answer("404 Not Found", "no such file"); });
    int status = 0;
    int chunks = 0;
    const std::uint32_t result =
        Download(server.HostPort(), "/missing.exe",
                 DownloadEvents{[&](int s) {
                                    status = s;
                                    return s == 200;
                                },
                                [&](std::string_view) { return ++chunks, true; }});
    EXPECT_EQ(status, 404);
    EXPECT_EQ(chunks, 0);
    EXPECT_EQ(result, inet::kErrorOperationCancelled);
}

TEST_F(DownloadTest, StreamsMoreThanAHeldAnswerMayHold) {
    TestHttpServer server;
    const std::size_t size = inet::kMaxHeldAnswer + 4 * 1024 * 1024;
    server.Routes().Get("/big.exe", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            size, "application/octet-stream",
            [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                const std::string block(std::min<std::size_t>(length, 64 * 1024),
                                        static_cast<char>('a' + offset % 26));
                return sink.write(block.data(), block.size());
            });
    });
    server.Start();
    std::size_t total = 0;
    std::size_t largest = 0;
    const std::uint32_t result = Download(server.HostPort(), "/big.exe",
                                          DownloadEvents{[](int status) { return status == 200; },
                                                         [&](std::string_view chunk) {
                                                             total += chunk.size();
                                                             largest =
                                                                 std::max(largest, chunk.size());
                                                             return true;
                                                         }});
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(total, size);
    EXPECT_EQ(largest, kDownloadChunkBytes);
}

TEST_F(DownloadTest, BrokenConnectionAndABadLocationFail) {
    ScriptedServer server([](const RawRequest&) {
        return ScriptedReply{"HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" +
                             std::string(1500, 'z')};
    });
    std::size_t total = 0;
    DownloadEvents events{[](int) { return true; },
                          [&](std::string_view chunk) { return total += chunk.size(), true; }};
    EXPECT_EQ(Download(server.HostPort(), "/setup.exe", events), inet::kErrorConnectionAborted);
    EXPECT_EQ(total, 1500u);

    // "http://host/path" cut at its first "/" leaves the host "http:".
    EXPECT_EQ(Download("http:", "//quillo.lab.localhost/setup.exe", events),
              inet::kErrorInvalidUrl);
    EXPECT_EQ(Download("", "/setup.exe", events), inet::kErrorInvalidUrl);
    EXPECT_EQ(
        Download(server.HostPort(), "/stop",
                 DownloadEvents{[](int) { return true; }, [](std::string_view) { return false; }}),
        inet::kErrorOperationCancelled);
}

TEST_F(DownloadTest, ADownloadHasNoDeadlineButMustKeepAMinimumRate) {
    inet::Timeouts timeouts = inet::kDefaultTimeouts;
    timeouts.deadline = milliseconds(100);
    timeouts.rateWindow = milliseconds(1000);
    timeouts.minBytesPerWindow = 1024;
    inet::SetNetworkTimeoutsForTests(timeouts);
    auto serve = [](std::size_t piece) {
        return [piece](const RawRequest&) {
            ScriptedReply reply = Answer("200 OK", std::string(8 * 2048, 'x'));
            reply.dripBytes = piece;
            reply.dripPause = milliseconds(50);
            return reply;
        };
    };
    std::size_t total = 0;
    DownloadEvents events{[](int) { return true; },
                          [&](std::string_view chunk) { return total += chunk.size(), true; }};

    // 2 KB every 50 ms: longer than the deadline, fast enough for the rate.
    ScriptedServer steady(serve(2048));
    const auto start = steady_clock::now();
    EXPECT_EQ(Download(steady.HostPort(), "/setup.exe", events), 0u);
    EXPECT_GT(ElapsedSince(start), timeouts.deadline);
    EXPECT_EQ(total, 8u * 2048);

    // A byte every 50 ms: far below 1 KB a window.
    ScriptedServer dripping(serve(1));
    EXPECT_EQ(Download(dripping.HostPort(), "/setup.exe", events), inet::kErrorTimeout);
}
