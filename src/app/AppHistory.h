#pragma once
// CAppHistory: the running program's history. The application object opens it at start in the
// data folder, beside the settings, and closes it at exit once the workers have stopped; the
// queue thread records through it and the history window reads the same file and asks it to
// delete. A history that cannot be used never stops the program: it is left out, and the user
// is told once.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/QueueThread.h"
#include "history/HistoryWriter.h"

class CAppHistory {
public:
    explicit CAppHistory(const std::filesystem::path& dataDirectory);
    // Writes what is still queued, then closes the file.
    ~CAppHistory();
    CAppHistory(const CAppHistory&) = delete;
    CAppHistory& operator=(const CAppHistory&) = delete;

    // The one open now (for the windows), or null.
    static CAppHistory* Running();

    // For the queue thread: hands each batch to the writer unless the user keeps no history.
    CQueueThread::BatchRecorder Recorder();
    // For the queue thread: hands each delivery report to the writer, which finds its recipient.
    CQueueThread::DeliveryRecorder DeliveryRecorder();
    const std::filesystem::path& File() const { return m_file; }
    void DeleteBatches(std::vector<std::int64_t> ids);
    void ClearAll();
    // The writer has opened the file (or found it cannot); its notice, if any, is known then.
    bool Opened() const;
    // Waits for everything asked so far to be written; false at the deadline.
    bool WaitUntilWritten(std::chrono::milliseconds deadline);

    int KeepDays() const { return m_shared->keepDays.load(); }
    // Saved at once; batches from now on follow it, older ones are removed at the next start.
    bool SetKeepDays(int days);

    // On the user-interface thread: shows what went wrong with the history, the first time only.
    void ShowNotice();
    // The text of a notice, in program text.
    static std::string NoticeText(const HistoryNotice& notice);

private:
    // What the writer's thread and the queue thread's recorder share with this object; a worker
    // that did not stop in time may hold them past its end.
    struct Shared {
        std::atomic<int> keepDays;
        std::mutex mutex;
        std::optional<HistoryNotice> notice;  // not shown yet
        bool told = false;
        void Keep(const HistoryNotice& notice);
    };

    std::filesystem::path m_file;
    std::filesystem::path m_keepingFile;
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<CHistoryWriter> m_writer;  // shared with the queue thread's recorder
};
