#pragma once
// Carrier gateways for tests: real HTTP and HTTPS servers on loopback ports that record every
// request, in arrival order across both, and answer as the test scripts it. Hosts are told apart
// by name ("nextel.localhost:port"), so one pair of servers stands in for every gateway and the
// maker's counter. While it lives, the process trusts the HTTPS server's throw-away CA.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/TestCa.h"
#include "support/TestHttpServer.h"

struct GatewayRequest {
    bool tls = false;
    std::string method;
    std::string host;    // the name before ".localhost"
    std::string target;  // path and query as sent
    std::string contentType;
    std::string body;
};

struct GatewayAnswer {
    int status = 200;
    std::string body = "<html>OK</html>";
};

class GatewayServer {
public:
    using Script = std::function<GatewayAnswer(const GatewayRequest&)>;

    GatewayServer();
    ~GatewayServer();
    GatewayServer(const GatewayServer&) = delete;
    GatewayServer& operator=(const GatewayServer&) = delete;

    // Points string-table entry `hostId` at the plain or the HTTPS server under `name`.
    void Route(int hostId, const std::string& name, bool tls = false);
    // Routes every carrier gateway under its short name: "alltel", "att", "boost", "cingular",
    // "nextel", "sprint", "uscellular" over HTTP, "tmobile" and "verizon" over HTTPS.
    void RouteAllGateways();

    // Answers every later request; the default accepts everything with a short page.
    void SetScript(Script script);

    std::vector<GatewayRequest> Requests() const;
    std::vector<GatewayRequest> RequestsTo(const std::string& name) const;

private:
    void Handle(bool tls, const httplib::Request& request, httplib::Response& response);

    TempDir m_stores;
    TestCa m_ca{"Quillo test gateways"};
    TestHttpServer m_plain;
    TestHttpServer m_secure;
    mutable std::mutex m_mutex;
    Script m_script;
    std::vector<GatewayRequest> m_requests;
};
