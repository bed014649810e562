#include "net/CurlLibrary.h"

#include <openssl/ssl.h>

#include "net/Internet.h"

namespace inet {

CurlLibrary& CurlLibrary::Instance() {
    static CurlLibrary library;
    return library;
}

CurlLibrary::CurlLibrary() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return;
    m_sslContextIndex = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    CURLSH* share = curl_share_init();
    if (share == nullptr)
        return;
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &CurlLibrary::Lock);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &CurlLibrary::Unlock);
    curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    m_share = share;
}

void CurlLibrary::Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<CurlLibrary*>(self)->m_locks[static_cast<std::size_t>(data)].lock();
}

void CurlLibrary::Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<CurlLibrary*>(self)->m_locks[static_cast<std::size_t>(data)].unlock();
}

void ClearCookiesForTests() {
    CurlLibrary& library = CurlLibrary::Instance();
    if (!library.Ready())
        return;
    CurlEasyPtr easy(curl_easy_init());
    if (!easy)
        return;
    curl_easy_setopt(easy.get(), CURLOPT_SHARE, library.Share());
    curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, "ALL");
}

std::uint32_t OpenInternet() {
    return CurlLibrary::Instance().Ready() ? 0u : std::uint32_t{kErrorInternal};
}

}  // namespace inet
