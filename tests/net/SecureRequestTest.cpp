// The secure path: CSecureRequest and the HTTPS form against real local TLS servers with a
// throw-away CA, including servers that demand client certificates.

#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <atomic>

#include "net/FormRequest.h"
#include "net/NetTest.h"
#include "net/SecureRequest.h"
#include "support/ScriptedServer.h"
#include "support/TestHttpServer.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr const char* kNeedCertificate =
    "Cannot perform http request, client authentication needed but couldnt detect required "
    "client certificate";
constexpr const char* kInvalidCertificate =
    "Cannot perform http request, client authentication needed, invalid client certificate is "
    "used";

// The common name of the client certificate of the connection, or "nobody".
std::string PeerName(const httplib::Request& request) {
    X509* peer = request.ssl != nullptr ? SSL_get0_peer_certificate(request.ssl) : nullptr;
    char name[256] = "nobody";
    if (peer != nullptr) {
        X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name);
    }
    return name;
}

int CountHello(SSL*, int*, void* counter) {
    ++*static_cast<std::atomic<int>*>(counter);
    return SSL_CLIENT_HELLO_SUCCESS;
}

}  // namespace

class SecureRequestTest : public NetTest {
protected:
    // The T-Mobile form (a secure one) pointed at `server`.
    CFormRequest SecureForm(const TestHttpServer& server) {
        OverrideStringForTests(IDS_TMOBILE_HOST, server.HostPort());
        return CFormRequest(IDS_TMOBILE_HOST, IDS_TMOBILE_PATH, VerbPost, kFormContentType, true);
    }

    // An HTTPS server signed by `ca` that answers every POST with `body` (and the name of the
    // client certificate it saw after "|", when asked for "/whoami").
    std::unique_ptr<TestHttpServer> Serve(const TestCa& ca, std::string body,
                                          std::function<void(SSL_CTX&)> setup = {}) {
        auto server = std::make_unique<TestHttpServer>(ca.IssueServer(), std::move(setup));
        server->Routes().Post(
            ".*", [body](const httplib::Request& request, httplib::Response& response) {
                response.set_content(
                    request.path == "/whoami" ? body + "|" + PeerName(request) : body, "text/html");
            });
        server->Start();
        return server;
    }

    CSecureRequest& Prepare(CSecureRequest& request, const TestHttpServer& server,
                            const std::string& object = "/send") {
        request.SetAgent("Microsoft Internet Explorer");
        request.SetServer(server.HostPort());
        request.SetObject(object);
        return request;
    }

    TestCa m_serverCa{"Quillo Test Server CA"};
    TestCa m_clientCa{"Quillo Test Client CA", "Gateway Clients"};
};

TEST_F(SecureRequestTest, ServerTrustedThroughTheRootStoreKeepsLineBreaks) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    auto server = Serve(m_serverCa, "<html>\r\nSent\r\n</html>");
    CFormRequest form = SecureForm(*server);
    form.AddField("msisdn", "5551234567");
    form.AddField("text", "Hi there.");
    EXPECT_EQ(form.Perform(), "<html>\r\nSent\r\n</html>");

    const auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/smsportal/index.html?act=smsc&locale=en");
    EXPECT_EQ(requests[0].body, "msisdn=5551234567&text=Hi+there.");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Microsoft Internet Explorer");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Header("Content-Length"), "32");
    EXPECT_FALSE(requests[0].HasHeader("Accept"));
    EXPECT_FALSE(requests[0].HasHeader("Expect"));
}

TEST_F(SecureRequestTest, AnErrorStatusFailsTheSecureFormLikeThePlainOne) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    TestHttpServer server(m_serverCa.IssueServer());
    server.Routes().Post(".*", [](const httplib::Request& request, httplib::Response& response) {
        response.status = request.path == "/missing" ? 404 : 500;
        response.set_content("<html>Internal Server Error</html>", "text/html");
    });
    server.Start();
    EXPECT_EQ(ThrownCode([&] { SecureForm(server).Perform(); }), 500u);
    OverrideStringForTests(IDS_TMOBILE_PATH, "/missing");
    EXPECT_EQ(ThrownCode([&] { SecureForm(server).Perform(); }), 404u);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(SecureRequestTest, ServerOfAnUnknownAuthorityFailsUntilItIsInTheRootStore) {
    auto server = Serve(m_serverCa, "never read");
    EXPECT_EQ(ThrownCode([&] { SecureForm(*server).Perform(); }), 404u);

    CSecureRequest request;
    ASSERT_TRUE(Prepare(request, *server).Open("POST"));
    EXPECT_EQ(request.RequestCounter(), 1u);
    EXPECT_FALSE(request.Send(kFormContentType, "a=1"));
    EXPECT_EQ(request.LastErrorCode(), inet::kErrorInvalidCa);
    EXPECT_EQ(request.LastErrorText(), kInvalidCertificate);
    EXPECT_TRUE(server->Requests().empty());

    // The ROOT store is read again once it has changed.
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    EXPECT_EQ(SecureForm(*server).Perform(), "never read");
}

TEST_F(SecureRequestTest, AnswerOverTheSizeLimitFailsTheSend) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    auto server = Serve(m_serverCa, std::string(inet::kMaxHeldAnswer + 1, 'x'));
    CSecureRequest request;
    ASSERT_TRUE(Prepare(request, *server).Open("POST"));
    EXPECT_FALSE(request.Send(kFormContentType, "a=1"));
    EXPECT_EQ(request.LastErrorText(), "Memory Exception occured");
    EXPECT_EQ(request.LastErrorCode(), inet::kErrorNotEnoughMemory);
}

TEST_F(SecureRequestTest, HostNameIsNotCheckedOnTheSecurePathOnly) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    TestHttpServer server(m_serverCa.IssueServer({"gateway.invalid"}));
    server.Routes().Post(".*", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("accepted", "text/plain");
    });
    server.Routes().Get(".*", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("page", "text/plain");
    });
    server.Start();
    EXPECT_EQ(SecureForm(server).Perform(), "accepted");
    // Reading a page does not waive the name check.
    std::string text;
    EXPECT_EQ(FetchPage("https://" + server.HostPort() + "/", text), 4);
}

TEST_F(SecureRequestTest, ReadAllKeepsEachChunkUpToItsFirstZeroByte) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    auto zero = Serve(m_serverCa, std::string("abc\0def", 7));
    EXPECT_EQ(SecureForm(*zero).Perform(), "abc");

    // The second read starts afresh after 1023 bytes.
    auto later = Serve(m_serverCa, std::string(1023, 'a') + std::string("b\0c", 3) + "d");
    EXPECT_EQ(SecureForm(*later).Perform(), std::string(1023, 'a') + "b");
}

TEST_F(SecureRequestTest, NoMatchingClientCertificateFails) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    // Issued by a CA without an organizational unit: no match even for an empty unit name.
    TestCa noUnit("No Unit CA");
    AddToStore("MY", "client.pem", noUnit.IssueClient("somebody").CombinedPem());
    auto server = Serve(m_serverCa, "secret", [&](SSL_CTX& ctx) {
        DemandClientCertificates(ctx, m_clientCa.CertificatePem());
    });
    EXPECT_EQ(ThrownCode([&] { SecureForm(*server).Perform(); }), 404u);

    CSecureRequest request;
    ASSERT_TRUE(Prepare(request, *server).Open("POST"));
    EXPECT_FALSE(request.SelectClientCertificate());
    EXPECT_EQ(request.LastErrorText(), "Cannot find the required certificate");
    EXPECT_EQ(request.LastErrorCode(), kCryptErrorNotFound);

    ASSERT_TRUE(request.Open("POST"));
    EXPECT_FALSE(request.Send(kFormContentType, "a=1"));
    EXPECT_EQ(request.LastErrorText(), kNeedCertificate);
    EXPECT_EQ(request.LastErrorCode(), kCryptErrorNotFound);
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(SecureRequestTest, CertificateWhoseIssuerCarriesTheUnitIsSent) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    TestCa otherUnit("Other CA", "Other Unit");
    AddToStore("MY", "1-other.pem", otherUnit.IssueClient("wrong one").CombinedPem());
    AddToStore("MY", "2-gateway.pem", m_clientCa.IssueClient("Quillo user").CombinedPem());
    auto server = Serve(m_serverCa, "hello", [&](SSL_CTX& ctx) {
        DemandClientCertificates(ctx, m_clientCa.CertificatePem());
    });

    CSecureRequest request;
    request.SetCertificateUnitName("Gateway Clients");
    ASSERT_TRUE(Prepare(request, *server, "/whoami").Open("POST"));
    ASSERT_TRUE(request.Send(kFormContentType, "a=1")) << request.LastErrorText();
    EXPECT_EQ(request.ReadAll(), "hello|Quillo user");
    ASSERT_EQ(server->Requests().size(), 1u);
    EXPECT_EQ(server->Requests()[0].body, "a=1");

    // The form's empty unit name takes the first issuer with any unit: the wrong one here,
    // which the server rejects.
    EXPECT_EQ(ThrownCode([&] { SecureForm(*server).Perform(); }), 404u);
    CSecureRequest any;
    ASSERT_TRUE(Prepare(any, *server).Open("POST"));
    EXPECT_FALSE(any.Send(kFormContentType, "a=1"));
    EXPECT_EQ(any.LastErrorCode(), inet::kErrorInvalidCa);
    EXPECT_EQ(any.LastErrorText(), kInvalidCertificate);
}

TEST_F(SecureRequestTest, TheFormAnswersACertificateDemandFromTheMyStore) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    AddToStore("MY", "client.pem", m_clientCa.IssueClient("Quillo user").CombinedPem());
    auto server = Serve(m_serverCa, "Your message was sent!", [&](SSL_CTX& ctx) {
        DemandClientCertificates(ctx, m_clientCa.CertificatePem());
    });
    EXPECT_EQ(SecureForm(*server).Perform(), "Your message was sent!");
}

TEST_F(SecureRequestTest, CertificateWithoutItsKeyCannotBeSet) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    AddToStore("MY", "client.pem", m_clientCa.IssueClient("keyless").certificatePem);
    auto server = Serve(m_serverCa, "secret", [&](SSL_CTX& ctx) {
        DemandClientCertificates(ctx, m_clientCa.CertificatePem());
    });
    CSecureRequest request;
    ASSERT_TRUE(Prepare(request, *server).Open("POST"));
    EXPECT_FALSE(request.SelectClientCertificate());
    EXPECT_EQ(request.LastErrorText(), "Cannot set certificate context");
    EXPECT_EQ(request.LastErrorCode(), kCryptErrorNoKeyProperty);
}

TEST_F(SecureRequestTest, ServerThatKeepsDemandingIsTriedTwentyTimes) {
    AddToStore("ROOT", "test-ca.pem", m_serverCa.CertificatePem());
    AddToStore("MY", "client.pem", m_clientCa.IssueClient("Quillo user").CombinedPem());
    std::atomic<int> handshakes{0};
    auto server = Serve(m_serverCa, "never", [&](SSL_CTX& ctx) {
        DemandClientCertificates(ctx, m_clientCa.CertificatePem());
        // Whatever it is given, it wants another certificate (handshake_failure).
        SSL_CTX_set_verify(&ctx, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT,
                           [](int, X509_STORE_CTX* store) {
                               X509_STORE_CTX_set_error(store, X509_V_ERR_APPLICATION_VERIFICATION);
                               return 0;
                           });
        SSL_CTX_set_client_hello_cb(&ctx, CountHello, &handshakes);
    });

    CSecureRequest request;
    ASSERT_TRUE(Prepare(request, *server).Open("POST"));
    EXPECT_FALSE(request.Send(kFormContentType, "a=1"));
    EXPECT_EQ(handshakes.load(), CSecureRequest::kMaxSendAttempts);
    EXPECT_EQ(request.LastErrorCode(), inet::kErrorClientAuthCertNeeded);
    EXPECT_EQ(request.LastErrorText(), "");
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(SecureRequestTest, ServerThatNeverHandsShakesFailsAfterTheConnectTime) {
    inet::SetNetworkTimeoutsForTests(milliseconds(300), milliseconds(60'000));
    ScriptedServer silent;
    OverrideStringForTests(IDS_VERIZON_HOST, silent.HostPort());
    const auto start = steady_clock::now();
    EXPECT_EQ(ThrownCode([] {
                  CFormRequest(IDS_VERIZON_HOST, IDS_VERIZON_PATH, VerbPost, kFormContentType, true)
                      .Perform();
              }),
              404u);
    EXPECT_LT(ElapsedSince(start), milliseconds(3000));

    CSecureRequest request;
    request.SetServer(silent.HostPort());
    ASSERT_TRUE(request.Open("POST"));
    EXPECT_FALSE(request.Send("", ""));
    EXPECT_EQ(request.LastErrorCode(), inet::kErrorTimeout);
    EXPECT_EQ(request.LastErrorText(), "Cannot perform http request");
}

TEST_F(SecureRequestTest, OpenChecksTheServerNameAndVerb) {
    CSecureRequest request;
    request.SetServer("host:notaport");
    EXPECT_FALSE(request.Open("POST"));
    EXPECT_EQ(request.LastErrorText(), "Cannot connect to internet");
    request.SetServer("host");
    EXPECT_FALSE(request.Open(""));
    EXPECT_EQ(request.LastErrorText(), "Cannot perform http request");
    EXPECT_FALSE(request.Send("", ""));
    EXPECT_EQ(request.RequestCounter(), 0u);
}
