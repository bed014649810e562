#include "support/ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace {

// A client that sends nothing for this long is given up on.
constexpr int kReadTimeoutMs = 10'000;

}  // namespace

std::string RawRequest::RequestLine() const {
    return head.substr(0, head.find("\r\n"));
}

std::vector<std::string> RawRequest::HeaderLines() const {
    std::vector<std::string> lines;
    std::size_t start = head.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos || end == start)
            break;
        lines.push_back(head.substr(start, end - start));
        start = end;
    }
    return lines;
}

ScriptedServer::ScriptedServer(Handler handler) : m_handler(std::move(handler)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listen, 64) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listen >= 0)
            ::close(m_listen);
        throw std::runtime_error("ScriptedServer: cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

ScriptedServer::~ScriptedServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (int fd : m_clients) ::shutdown(fd, SHUT_RDWR);
    }
    m_stopped.notify_all();
    ::shutdown(m_listen, SHUT_RDWR);
    m_acceptor.join();
    ::close(m_listen);
    for (std::thread& worker : m_workers) worker.join();
}

std::string ScriptedServer::HostPort(const std::string& host) const {
    return host + ":" + std::to_string(m_port);
}

std::vector<RawRequest> ScriptedServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int ScriptedServer::Connections() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

void ScriptedServer::AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(m_mutex);
        if (fd < 0 || m_stopping) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        ++m_connections;
        m_clients.push_back(fd);
        m_workers.emplace_back([this, fd] { Serve(fd); });
    }
}

void ScriptedServer::HoldUntilStopped() {
    std::unique_lock lock(m_mutex);
    m_stopped.wait(lock, [this] { return m_stopping; });
}

bool ScriptedServer::ReadRequest(int fd, RawRequest& request) {
    std::string data;
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = 0;
    char buffer[4096];
    for (;;) {
        if (headEnd != std::string::npos && data.size() >= headEnd + wanted)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kReadTimeoutMs) <= 0)
            return false;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(count));
        if (headEnd == std::string::npos &&
            (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            headEnd += 4;
            request.head = data.substr(0, headEnd);
            for (const std::string& line : request.HeaderLines()) {
                if (strncasecmp(line.c_str(), "Content-Length:", 15) == 0) {
                    wanted = std::stoul(line.substr(15));
                }
            }
        }
    }
    request.body = data.substr(headEnd, wanted);
    return true;
}

void ScriptedServer::SendReply(int fd, const ScriptedReply& reply) {
    const std::size_t piece = reply.dripBytes == 0 ? reply.bytes.size() : reply.dripBytes;
    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
        if (sent > 0 && reply.dripBytes != 0) {
            std::unique_lock lock(m_mutex);
            if (m_stopped.wait_for(lock, reply.dripPause, [this] { return m_stopping; }))
                return;
        }
        const std::size_t size = std::min(piece, reply.bytes.size() - sent);
        const ssize_t count = ::send(fd, reply.bytes.data() + sent, size, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += static_cast<std::size_t>(count);
    }
}

void ScriptedServer::Serve(int fd) {
    if (m_handler) {
        RawRequest request;
        if (ReadRequest(fd, request)) {
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(request);
            }
            const ScriptedReply reply = m_handler(request);
            SendReply(fd, reply);
            if (reply.then == ScriptedReply::Then::Reset) {
                linger hard{1, 0};  // close with RST instead of FIN
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            } else if (reply.then == ScriptedReply::Then::Hang) {
                HoldUntilStopped();
            }
        }
    } else {
        HoldUntilStopped();
    }
    std::lock_guard lock(m_mutex);
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), fd), m_clients.end());
    ::close(fd);
}
