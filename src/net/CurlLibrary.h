#pragma once
// libcurl's global set-up and the process-wide cookie store, made once, and owning pointers
// for libcurl's handles. Nothing is torn down at exit: a worker may still be inside a transfer
// while the process ends.

#include <curl/curl.h>

#include <array>
#include <memory>
#include <mutex>

namespace inet {

struct CurlEasyFree {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct CurlMultiFree {
    void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
struct CurlSlistFree {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyFree>;
using CurlMultiPtr = std::unique_ptr<CURLM, CurlMultiFree>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlSlistFree>;

class CurlLibrary {
public:
    static CurlLibrary& Instance();

    bool Ready() const noexcept { return m_share != nullptr; }
    // The cookie store every transfer shares.
    CURLSH* Share() const noexcept { return m_share; }
    // Where a TLS context keeps its transfer, for the callbacks OpenSSL makes without one.
    int SslContextIndex() const noexcept { return m_sslContextIndex; }

private:
    CurlLibrary();
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self);
    static void Unlock(CURL*, curl_lock_data data, void* self);

    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_locks;
    CURLSH* m_share = nullptr;
    int m_sslContextIndex = -1;
};

}  // namespace inet
