#pragma once
// The GET of the upgrade download: the status first, then the body in pieces as they arrive,
// never the whole file in memory.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The largest piece handed to DownloadEvents::onChunk.
inline constexpr std::size_t kDownloadChunkBytes = 1024;

struct DownloadEvents {
    // The status of the answer, before any byte of its body; false reads nothing more.
    std::function<bool(int status)> onStatus;
    // The next piece of the body, 1 to kDownloadChunkBytes bytes, in order; false stops.
    std::function<bool(std::string_view chunk)> onChunk;
    // Asked while the transfer runs, also while nothing arrives; true ends it at once.
    std::function<bool()> cancelled = nullptr;
};

// GETs `path` from `server` ("name" or "name:port", port 80 without one) over plain HTTP/1.0
// with the agent "Quillo" and the header "Accept: application/*". 0 when the body was read to
// its end, else the error code of the internet layer (inet::kErrorOperationCancelled when a
// handler returned false).
std::uint32_t Download(const std::string& server, const std::string& path,
                       const DownloadEvents& events);
