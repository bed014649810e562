#pragma once
// A plain HTTP client over libcurl for driving the lab in tests, with every lab host resolved
// to loopback, and a fixture that runs the lab in-process on ephemeral ports.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "carrier-lab/LabServer.h"
#include "support/TempDir.h"

using Fields = std::vector<std::pair<std::string, std::string>>;

struct HttpAnswer {
    long status = 0;
    std::string body;
    CURLcode code = CURLE_OK;
    std::string headers;  // the raw header block
};

struct ClientCertificate {
    std::string certificatePem;
    std::string keyPem;
};

class LabClient {
public:
    LabClient();
    ~LabClient();
    LabClient(const LabClient&) = delete;
    LabClient& operator=(const LabClient&) = delete;

    // Verifies TLS against this CA file only (none: the system bundle).
    void TrustOnly(const std::filesystem::path& caFile) { m_caFile = caFile; }
    void UseClientCertificate(ClientCertificate certificate) { m_clientCertificate = certificate; }

    HttpAnswer Request(const std::string& method, const std::string& url, const std::string& body,
                       const std::vector<std::string>& headers);
    HttpAnswer Get(const std::string& url) { return Request("GET", url, "", {}); }
    // A form POST as Quillo sends it.
    HttpAnswer PostForm(const std::string& url, const Fields& fields);
    HttpAnswer PostBody(const std::string& url, const std::string& body);

private:
    CURLSH* m_share;  // the cookies, across requests
    std::filesystem::path m_caFile;
    ClientCertificate m_clientCertificate;
};

// The client's form encoding: letters, digits and "." as themselves, "+" for a space, "%XX".
std::string FormEncode(const Fields& fields);

// Starts a lab on ephemeral ports with its state and Quillo's certificate stores in a
// temporary folder, and points the string table's hosts at it.
class LabTest : public ::testing::Test {
public:
    // "http://alltel.lab.localhost:PORT" + path, from the string table entry of a host.
    static std::string Url(int hostId, const std::string& path, bool tls = false);

protected:
    void SetUp() override;
    void TearDown() override;
    std::string ApiUrl(const std::string& path) const;

    // The log entries after the first `skip` ones.
    std::vector<lab::LogEntry> LogAfter(std::size_t skip) const;
    const lab::LogEntry& LastLogEntry();

    TempDir m_temp;
    lab::LabServer m_lab;
    lab::LabOptions m_options;
    LabClient m_client;

private:
    std::vector<lab::LogEntry> m_logCopy;
};
