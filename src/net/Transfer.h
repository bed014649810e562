#pragma once
// One run of an HTTP request through libcurl, on the calling thread: the set-up, the poll loop
// with its clocks and the shutdown flag, and the callbacks that find the final answer's status
// and hand its body to the sink.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "net/CurlLibrary.h"
#include "net/Internet.h"
#include "net/TlsHooks.h"

namespace inet {

struct HttpRequest::State {
    std::string agent;
    std::string url;
    std::string verb;
    std::string version;
    std::uint32_t flags = 0;
    Pace pace = Pace::Deadline;
    std::uint32_t urlError = 0;  // why `url` could not be made, when it could not
    std::string user;
    std::string password;
    std::shared_ptr<const ClientCertificate> clientCertificate;
    bool followRedirects = true;
    bool privateNetworkOnly = false;
    int status = 0;
    std::vector<std::pair<std::string, std::string>> answerHeaders;  // the final answer's
    std::string refusedAddress;
    std::string held;
    std::size_t readPosition = 0;
};

class Transfer {
public:
    Transfer(const HttpRequest::State& request, ResponseSink& sink);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // 0 when the whole answer arrived, else the error code.
    std::uint32_t Run(std::string_view headers, std::string_view body);
    int Status() const noexcept { return m_status; }
    std::vector<std::pair<std::string, std::string>> TakeAnswerHeaders() {
        return std::move(m_answerHeaders);
    }
    const std::string& RefusedAddress() const noexcept { return m_refusedAddress; }

private:
    using Clock = std::chrono::steady_clock;

    void Configure(std::string_view body);
    void ConfigureVerb(std::string_view body);
    void ConfigureCallbacks();
    std::uint32_t Drive();
    std::uint32_t Outcome();
    bool OutOfTime(Clock::time_point now);
    void Arrived(std::size_t bytes);

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent);
    static int OnConnected(void* self, char*, char*, int, int);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address);
    void NoteHeader(std::string_view line);

    const HttpRequest::State& m_request;
    ResponseSink& m_sink;
    const Timeouts m_timeouts;
    TlsHooks m_tls;
    std::uint32_t m_stopCode = 0;
    int m_blockStatus = 0;
    bool m_blockRedirects = false;
    int m_status = 0;
    std::vector<std::pair<std::string, std::string>> m_blockHeaders;  // of the current block
    std::vector<std::pair<std::string, std::string>> m_answerHeaders;
    std::string m_refusedAddress;
    // The clocks: the whole exchange, the last sign of life, and the current rate window.
    bool m_connected = false;
    Clock::time_point m_start;
    Clock::time_point m_lastActivity;
    Clock::time_point m_windowStart;
    std::size_t m_windowBytes = 0;
    curl_off_t m_received = 0;
    curl_off_t m_sent = 0;
    // Declared last so that the connections close (and call back) while the above still live.
    CurlSlistPtr m_headers;
    CurlEasyPtr m_easy;
    CurlMultiPtr m_multi;
};

}  // namespace inet
