#include "LabClient.h"

#include <stdexcept>

#include "base/Paths.h"
#include "res/StringTable.h"

namespace {

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

void AddLine(Slist& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr)
        throw std::runtime_error("out of memory");
    list.release();
    list.reset(grown);
}

}  // namespace

LabClient::LabClient() : m_share(curl_share_init()) {
    if (m_share == nullptr)
        throw std::runtime_error("curl_share_init failed");
    curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

LabClient::~LabClient() {
    curl_share_cleanup(m_share);
}

HttpAnswer LabClient::Request(const std::string& method, const std::string& url,
                              const std::string& body, const std::vector<std::string>& headers) {
    std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), &curl_easy_cleanup);
    if (!handle)
        throw std::runtime_error("curl_easy_init failed");
    CURL* curl = handle.get();
    HttpAnswer answer;
    Slist headerList;
    for (const auto& h : headers) AddLine(headerList, h);
    // Every host name goes to loopback, whatever the resolver thinks of *.localhost.
    Slist connectTo;
    AddLine(connectTo, "::127.0.0.1:");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method == "POST" || !body.empty()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(curl, CURLOPT_CONNECT_TO, connectTo.get());
    // Cookies live in the share, across requests.
    curl_easy_setopt(curl, CURLOPT_SHARE, m_share);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
    // The host name is not checked, as in Quillo.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (!m_caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, m_caFile.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    curl_blob certificate{m_clientCertificate.certificatePem.data(),
                          m_clientCertificate.certificatePem.size(), CURL_BLOB_COPY};
    curl_blob key{m_clientCertificate.keyPem.data(), m_clientCertificate.keyPem.size(),
                  CURL_BLOB_COPY};
    if (!m_clientCertificate.certificatePem.empty()) {
        curl_easy_setopt(curl, CURLOPT_SSLCERT_BLOB, &certificate);
        curl_easy_setopt(curl, CURLOPT_SSLCERTTYPE, "PEM");
        curl_easy_setopt(curl, CURLOPT_SSLKEY_BLOB, &key);
        curl_easy_setopt(curl, CURLOPT_SSLKEYTYPE, "PEM");
    }
    answer.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

HttpAnswer LabClient::PostBody(const std::string& url, const std::string& body) {
    return Request("POST", url, body, {"Content-Type: application/x-www-form-urlencoded"});
}

HttpAnswer LabClient::PostForm(const std::string& url, const Fields& fields) {
    return PostBody(url, FormEncode(fields));
}

std::string FormEncode(const Fields& fields) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto encode = [](const std::string& text) {
        std::string out;
        for (char ch : text) {
            auto c = static_cast<unsigned char>(ch);
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '.') {
                out += ch;
            } else if (c == ' ') {
                out += '+';
            } else {
                out += {'%', kHex[c >> 4], kHex[c & 0xF]};
            }
        }
        return out;
    };
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty())
            body += '&';
        body += encode(name) + "=" + encode(value);
    }
    return body;
}

void LabTest::SetUp() {
    SetCertificateStoreRootForTests(m_temp / "certs");
    m_options.httpPort = 0;
    m_options.httpsPort = 0;
    m_options.stateDir = m_temp / "state";
    m_lab.Start(m_options);
    m_lab.ApplyStringOverrides();
}

void LabTest::TearDown() {
    m_lab.Stop();
    ResetStringOverridesForTests();
    SetCertificateStoreRootForTests({});
}

std::string LabTest::Url(int hostId, const std::string& path, bool tls) {
    return (tls ? "https://" : "http://") + LoadString(hostId) + path;
}

std::string LabTest::ApiUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_lab.Ports().http) + path;
}

std::vector<lab::LogEntry> LabTest::LogAfter(std::size_t skip) const {
    std::vector<lab::LogEntry> log = m_lab.Log();
    log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(std::min(skip, log.size())));
    return log;
}

const lab::LogEntry& LabTest::LastLogEntry() {
    m_logCopy = m_lab.Log();
    if (m_logCopy.empty())
        throw std::runtime_error("the lab logged nothing");
    return m_logCopy.back();
}
