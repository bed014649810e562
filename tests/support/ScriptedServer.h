#pragma once
// A raw TCP server on an ephemeral loopback port that shows a client exactly what a test
// scripts: it reads one HTTP request per connection, records its bytes, and answers with the
// bytes the handler returns, then closes, resets the connection, or holds it open without a
// word until the server is destroyed. For requests that must be seen byte for byte and for
// servers that misbehave.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RawRequest {
    std::string head;  // request line and headers, each line ending in CR LF, blank line included
    std::string body;  // Content-Length bytes

    std::string RequestLine() const;
    // The header lines in wire order, without their CR LF.
    std::vector<std::string> HeaderLines() const;
};

struct ScriptedReply {
    enum class Then { Close, Reset, Hang };
    std::string bytes;
    Then then = Then::Close;
    // A slow line: the bytes go out `dripBytes` at a time with `dripPause` between (0: at once).
    std::size_t dripBytes = 0;
    std::chrono::milliseconds dripPause{0};
};

class ScriptedServer {
public:
    using Handler = std::function<ScriptedReply(const RawRequest&)>;

    // Without a handler the server accepts connections and never reads or writes a byte.
    explicit ScriptedServer(Handler handler = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    std::string HostPort(const std::string& host = "127.0.0.1") const;

    std::vector<RawRequest> Requests() const;
    int Connections() const;

private:
    void AcceptLoop();
    void Serve(int fd);
    bool ReadRequest(int fd, RawRequest& request);
    void HoldUntilStopped();
    void SendReply(int fd, const ScriptedReply& reply);

    Handler m_handler;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::vector<int> m_clients;
    std::vector<std::thread> m_workers;
    std::vector<RawRequest> m_requests;
    int m_connections = 0;
};
