#include "GatewayServer.h"

#include "base/Paths.h"
#include "res/StringTable.h"

GatewayServer::GatewayServer() : m_secure(m_ca.IssueServer()) {
    SetCertificateStoreRootForTests(m_stores.path());
    WritePemFile(m_stores / "ROOT" / "gateways.pem", m_ca.CertificatePem());
    for (auto* server : {&m_plain, &m_secure}) {
        const bool tls = server == &m_secure;
        auto handle = [this, tls](const httplib::Request& request, httplib::Response& response) {
            Handle(tls, request, response);
        };
        server->Routes().Get(".*", handle);
        server->Routes().Post(".*", handle);
        server->Start();
    }
}

GatewayServer::~GatewayServer() {
    SetCertificateStoreRootForTests({});
}

void GatewayServer::Handle(bool tls, const httplib::Request& request, httplib::Response& response) {
    GatewayRequest seen{tls,
                        request.method,
                        request.get_header_value("Host"),
                        request.target,
                        request.get_header_value("Content-Type"),
                        request.body};
    seen.host = seen.host.substr(0, seen.host.find(".localhost"));
    Script script;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(seen);
        script = m_script;
    }
    const GatewayAnswer answer = script ? script(seen) : GatewayAnswer{};
    response.status = answer.status;
    response.set_content(answer.body, "text/html");
}

void GatewayServer::Route(int hostId, const std::string& name, bool tls) {
    OverrideStringForTests(hostId, (tls ? m_secure : m_plain).HostPort(name + ".localhost"));
}

void GatewayServer::RouteAllGateways() {
    for (auto [id, name] : {std::pair{IDS_ALLTEL_HOST, "alltel"},
                            {IDS_ATT_HOST, "att"},
                            {IDS_BOOST_HOST, "boost"},
                            {IDS_CINGULAR_HOST, "cingular"},
                            {IDS_NEXTEL_HOST, "nextel"},
                            {IDS_SPRINT_HOST, "sprint"},
                            {IDS_USCELLULAR_HOST, "uscellular"}}) {
        Route(id, name);
    }
    Route(IDS_TMOBILE_HOST, "tmobile", true);
    Route(IDS_VERIZON_HOST, "verizon", true);
}

void GatewayServer::SetScript(Script script) {
    std::lock_guard lock(m_mutex);
    m_script = std::move(script);
}

std::vector<GatewayRequest> GatewayServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<GatewayRequest> GatewayServer::RequestsTo(const std::string& name) const {
    std::vector<GatewayRequest> found;
    for (auto& request : Requests()) {
        if (request.host == name)
            found.push_back(request);
    }
    return found;
}
