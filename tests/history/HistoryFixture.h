#pragma once
// A history file in a fresh temporary folder, and short ways to make batches and read pages.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "delivery/SendFailure.h"
#include "history/HistoryStore.h"
#include "support/TempDir.h"

inline std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

inline HistoryPart Part(std::string number, std::string name, std::int32_t result = 0,
                        std::optional<std::string> messageId = std::nullopt) {
    return {std::move(number),
            std::move(name),
            "Verizon",
            result,
            result == 0 ? "" : StatusText(result),
            std::move(messageId)};
}

inline HistoryBatchRecord Batch(std::string messageUtf8, std::vector<HistoryPart> parts,
                                std::int64_t sentAt = NowMs()) {
    return {sentAt, "web forms", std::move(messageUtf8), "Jos\xE9", "5550009999", "", parts};
}

class HistoryTest : public ::testing::Test {
protected:
    std::filesystem::path File() const { return dir / "QuilloHistory.db"; }
    HistoryStatus Open(HistoryOptions options = {}) { return store.Open(File(), options); }

    // The ids of every page of `query`, fetched page by page as a window would.
    std::vector<std::int64_t> AllIds(HistoryQuery query, int pageSize = 50) {
        query.limit = pageSize;
        std::vector<std::int64_t> ids;
        for (;;) {
            const std::vector<HistoryBatch> page = store.Page(query);
            for (const HistoryBatch& batch : page) ids.push_back(batch.id);
            if (static_cast<int>(page.size()) < pageSize)
                return ids;
            query.before = page.back().id;
        }
    }
    std::vector<std::int64_t> Search(const std::string& words) { return AllIds({words}); }

    TempDir dir;
    CHistoryStore store;
};
