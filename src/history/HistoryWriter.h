#pragma once
// CHistoryWriter: the history's one writer, a small thread of its own that owns the writing
// store. The queue thread hands it each finished batch and the window its deletions; they never
// wait for the disk, and a slow or failing history never holds up a send. Work runs in the
// order it was posted. Readers open their own store (HistoryOptions::reader) beside it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/HistoryStore.h"

class CHistoryWriter {
public:
    // Called on the writer's thread with what the user should be told, once each.
    using NoticeHandler = std::function<void(const HistoryNotice&)>;

    // Opens the file on the writer's thread; the first notice, if any, comes from that.
    CHistoryWriter(std::filesystem::path file, HistoryOptions options, NoticeHandler onNotice = {});
    // Writes what is still queued, then closes the file.
    ~CHistoryWriter();
    CHistoryWriter(const CHistoryWriter&) = delete;
    CHistoryWriter& operator=(const CHistoryWriter&) = delete;

    void Record(HistoryBatchRecord batch);
    void UpdateDelivery(std::string route, std::string messageId, DeliveryState state,
                        std::int64_t at);
    void DeleteBatches(std::vector<std::int64_t> ids);
    void ClearAll();

    // Waits until everything posted before the call has been written; false at the deadline.
    bool WaitUntilWritten(std::chrono::milliseconds deadline);
    // The same, and until the deleted batches' words have left the word index, which the writer
    // does a step at a time whenever it has nothing else to do.
    bool WaitUntilMerged(std::chrono::milliseconds deadline);
    // The store's state as of the last finished piece of work (Closed until it has opened).
    HistoryStatus Status() const { return m_status.load(); }

private:
    using Task = std::function<void(CHistoryStore&)>;
    void Post(Task task);
    void Run();
    void RunTask(const Task& task);

    NoticeHandler m_onNotice;
    CHistoryStore m_store;  // touched only on the writer's thread
    std::atomic<HistoryStatus> m_status{HistoryStatus::Closed};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
    std::uint64_t m_posted = 0;
    std::uint64_t m_finished = 0;
    bool m_stopping = false;
    bool m_merging = false;  // the store has a merge of its word index under way
    std::thread m_thread;    // last: starts once everything above exists
};
