#include "net/Download.h"

#include <new>

#include "net/Internet.h"

namespace {

class ChunkingSink : public inet::ResponseSink {
public:
    explicit ChunkingSink(const DownloadEvents& events) : m_events(events) {}

    std::uint32_t OnStatus(int status) override {
        if (m_events.onStatus && !m_events.onStatus(status)) {
            return inet::kErrorOperationCancelled;
        }
        return 0;
    }

    std::uint32_t OnBody(std::string_view bytes) override {
        while (!bytes.empty()) {
            const std::string_view chunk = bytes.substr(0, kDownloadChunkBytes);
            if (m_events.onChunk && !m_events.onChunk(chunk)) {
                return inet::kErrorOperationCancelled;
            }
            bytes.remove_prefix(chunk.size());
        }
        return 0;
    }

    bool Cancelled() const override { return m_events.cancelled && m_events.cancelled(); }

private:
    const DownloadEvents& m_events;
};

}  // namespace

std::uint32_t Download(const std::string& server, const std::string& path,
                       const DownloadEvents& events) {
    try {
        if (std::uint32_t error = inet::OpenInternet())
            return error;
        const auto name = inet::SplitServerName(server, inet::kPlainPort);
        if (!name)
            return inet::kErrorInvalidUrl;
        inet::HttpRequest request("Quillo", *name, "GET", path, "HTTP/1.0",
                                  inet::kFlagExistingConnect);
        request.SetPace(inet::Pace::MinimumRate);  // a large file on a slow line is no fault
        ChunkingSink sink(events);
        return request.Send("Accept: application/*", "", sink);
    } catch (const std::bad_alloc&) {
        return inet::kErrorNotEnoughMemory;
    }
}
