// A program for the crash test: records 50-recipient batches into the history in the folder it
// is given, numbering on from what the file holds, and says so after each commit.
//   history_write_loop <folder>

#include <cstdio>
#include <string>

#include "history/HistoryStore.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    CHistoryStore store;
    if (store.Open(HistoryFilePath(argv[1]), {}) != HistoryStatus::Ready)
        return 3;
    const std::vector<HistoryBatch> newest = store.Page({"", false, 0, 1});
    for (std::int64_t n = newest.empty() ? 1 : newest[0].id + 1;; ++n) {
        HistoryBatchRecord batch{n, "modem", "batch " + std::to_string(n), "Me", "", "", {}};
        for (int r = 0; r < 50; ++r)
            batch.parts.push_back({std::to_string(5550000000LL + r), "Friend " + std::to_string(r),
                                   "modem", r % 5, "",
                                   std::to_string(n) + "-" + std::to_string(r)});
        if (store.RecordBatch(batch) != n)
            return 4;
        store.UpdateDelivery("modem", std::to_string(n - 1) + "-7", DeliveryState::Delivered, n);
        std::printf("recorded %lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}
