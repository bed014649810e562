#include "net/Transfer.h"

#include <algorithm>
#include <cctype>

#include "base/Shutdown.h"
#include "base/Text.h"
#include "net/PrivateAddress.h"

namespace inet {
namespace {

// How often a running transfer looks at the shutdown flag and its clocks.
constexpr int kPollSliceMs = 50;
constexpr long kMaxRedirects = 10;

// The caller's header lines, then empty entries that keep libcurl from adding its own Accept,
// Expect and Content-Type where the caller gave none.
CurlSlistPtr HeaderList(std::string_view headers) {
    curl_slist* list = nullptr;
    auto append = [&list](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list, line.c_str()))
            list = grown;
    };
    bool accept = false, expect = false, contentType = false;
    while (!headers.empty()) {
        const std::size_t end = headers.find('\n');
        std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        accept |= StartsWithNoCase(line, "Accept:");
        expect |= StartsWithNoCase(line, "Expect:");
        contentType |= StartsWithNoCase(line, "Content-Type:");
        append(std::string(line));
    }
    if (!accept)
        append("Accept:");
    if (!expect)
        append("Expect:");
    if (!contentType)
        append("Content-Type:");
    return CurlSlistPtr(list);
}

Transfer& Self(void* pointer) {
    return *static_cast<Transfer*>(pointer);
}

}  // namespace

Transfer::Transfer(const HttpRequest::State& request, ResponseSink& sink)
    : m_request(request),
      m_sink(sink),
      m_timeouts(NetworkTimeouts()),
      m_tls(request.clientCertificate) {}

Transfer::~Transfer() {
    if (m_multi && m_easy)
        curl_multi_remove_handle(m_multi.get(), m_easy.get());
}

std::uint32_t Transfer::Run(std::string_view headers, std::string_view body) {
    if (m_request.urlError != 0)
        return m_request.urlError;
    if (ShutdownRequested())
        return kErrorOperationCancelled;
    m_easy.reset(curl_easy_init());
    m_multi.reset(curl_multi_init());
    if (!m_easy || !m_multi)
        return kErrorNotEnoughMemory;
    m_headers = HeaderList(headers);
    Configure(body);
    if (curl_multi_add_handle(m_multi.get(), m_easy.get()) != CURLM_OK)
        return kErrorInternal;
    return Drive();
}

void Transfer::Configure(std::string_view body) {
    CURL* e = m_easy.get();
    curl_easy_setopt(e, CURLOPT_URL, m_request.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    if (!m_request.agent.empty())
        curl_easy_setopt(e, CURLOPT_USERAGENT, m_request.agent.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, m_headers.get());
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                     m_request.version == "HTTP/1.0" ? long{CURL_HTTP_VERSION_1_0}
                                                     : long{CURL_HTTP_VERSION_1_1});
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, m_request.followRedirects ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_SHARE, CurlLibrary::Instance().Share());
    curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connect.count()));
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!m_request.user.empty() || !m_request.password.empty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, m_request.user.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, m_request.password.c_str());
    }
    if (m_request.privateNetworkOnly) {
        curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &Transfer::OnOpenSocket);
        curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, this);
    }
    ConfigureVerb(body);
    m_tls.Install(e, (m_request.flags & kFlagIgnoreCertCnInvalid) == 0);
    ConfigureCallbacks();
}

// The verb, and the body where there is one (a POST always has one, if empty).
void Transfer::ConfigureVerb(std::string_view body) {
    CURL* e = m_easy.get();
    const std::string& verb = m_request.verb;
    if (verb == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (verb == "POST" || !body.empty()) {
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
        if (verb != "POST")
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
    } else if (verb == "GET") {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
    }
}

void Transfer::ConfigureCallbacks() {
    CURL* e = m_easy.get();
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, this);
}

// Runs the transfer, watching the shutdown flag, the reader's wish and the clocks between steps.
std::uint32_t Transfer::Drive() {
    m_start = m_lastActivity = m_windowStart = Clock::now();
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m_multi.get(), &running) != CURLM_OK)
            return kErrorInternal;
        if (running == 0)
            return Outcome();
        if (ShutdownRequested() || m_sink.Cancelled())
            return kErrorOperationCancelled;
        if (OutOfTime(Clock::now()))
            return kErrorTimeout;
        if (curl_multi_poll(m_multi.get(), nullptr, 0, kPollSliceMs, nullptr) != CURLM_OK)
            return kErrorInternal;
    }
}

std::uint32_t Transfer::Outcome() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        if (message->data.result == CURLE_OK)
            return 0;
        TransferEvidence evidence;
        evidence.result = message->data.result;
        evidence.stopCode = m_stopCode;
        m_tls.Describe(evidence);
        curl_easy_getinfo(m_easy.get(), CURLINFO_SSL_VERIFYRESULT, &evidence.verifyResult);
        return MapTransferFailure(evidence);
    }
    return kErrorInternal;
}

// A request must be done by its deadline; a download has none, but must keep a minimum rate.
// Once connected, neither may go without a byte for the stall time.
bool Transfer::OutOfTime(Clock::time_point now) {
    if (m_connected && now - m_lastActivity > m_timeouts.stall)
        return true;
    if (m_request.pace == Pace::Deadline)
        return now - m_start > m_timeouts.deadline;
    if (now - m_windowStart < m_timeouts.rateWindow)
        return false;
    if (m_windowBytes < m_timeouts.minBytesPerWindow)
        return true;
    m_windowStart = now;
    m_windowBytes = 0;
    return false;
}

void Transfer::Arrived(std::size_t bytes) {
    m_lastActivity = Clock::now();
    m_windowBytes += bytes;
}

// Finds the status of the final answer: the one whose header block is not a 1xx and not a
// redirect that libcurl is about to follow.
std::size_t Transfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    Transfer& t = Self(self);
    const std::size_t length = size * count;
    t.Arrived(length);
    const std::string_view line(data, length);
    if (StartsWithNoCase(line, "HTTP/")) {
        const std::size_t space = line.find(' ');
        t.m_blockStatus = 0;
        for (std::size_t i = space + 1; space != std::string_view::npos && i < line.size() &&
                                        std::isdigit(static_cast<unsigned char>(line[i]));
             ++i) {
            t.m_blockStatus = t.m_blockStatus * 10 + (line[i] - '0');
        }
        t.m_blockRedirects = false;
        t.m_blockHeaders.clear();
    } else if (line == "\r\n" || line == "\n") {
        if (t.m_blockStatus >= 200 && !t.m_blockRedirects) {
            t.m_status = t.m_blockStatus;
            t.m_answerHeaders = std::move(t.m_blockHeaders);
            if (std::uint32_t stop = t.m_sink.OnStatus(t.m_status)) {
                t.m_stopCode = stop;
                return CURL_WRITEFUNC_ERROR;
            }
        }
    } else {
        t.NoteHeader(line);
    }
    return length;
}

// Keeps a header line of the current block; a Location on a 3xx marks a redirect that libcurl
// follows, when it follows them.
void Transfer::NoteHeader(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    m_blockHeaders.emplace_back(line.substr(0, colon), TrimBlanks(line.substr(colon + 1)));
    if (StartsWithNoCase(line, "Location:"))
        m_blockRedirects = m_blockStatus / 100 == 3 && m_request.followRedirects;
}

std::size_t Transfer::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
    Transfer& t = Self(self);
    const std::size_t length = size * count;
    t.Arrived(length);
    if (std::uint32_t stop = t.m_sink.OnBody(std::string_view(data, length))) {
        t.m_stopCode = stop;
        return CURL_WRITEFUNC_ERROR;
    }
    return length;
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    Transfer& t = Self(self);
    if (received != t.m_received || sent != t.m_sent) {
        t.m_received = received;
        t.m_sent = sent;
        t.m_lastActivity = Clock::now();
    }
    return 0;
}

// A private-network-only request opens no socket to any other address.
curl_socket_t Transfer::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    Transfer& t = Self(self);
    if (!IsPrivateAddress(address->addr)) {
        t.m_refusedAddress = AddressText(address->addr);
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype, address->protocol);
}

int Transfer::OnConnected(void* self, char*, char*, int, int) {
    Transfer& t = Self(self);
    t.m_connected = true;
    t.m_lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

}  // namespace inet
