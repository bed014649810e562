#include "history/HistoryWriter.h"

#include <utility>

#include "base/CaughtException.h"

CHistoryWriter::CHistoryWriter(std::filesystem::path file, HistoryOptions options,
                               NoticeHandler onNotice)
    : m_onNotice(std::move(onNotice)), m_thread([this] { Run(); }) {
    options.reader = false;
    Post([file = std::move(file), options](CHistoryStore& store) { store.Open(file, options); });
}

CHistoryWriter::~CHistoryWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CHistoryWriter::Record(HistoryBatchRecord batch) {
    Post([batch = std::move(batch)](CHistoryStore& store) { store.RecordBatch(batch); });
}

void CHistoryWriter::UpdateDelivery(std::string route, std::string messageId, DeliveryState state,
                                    std::int64_t at) {
    Post([route = std::move(route), messageId = std::move(messageId), state,
          at](CHistoryStore& store) { store.UpdateDelivery(route, messageId, state, at); });
}

void CHistoryWriter::DeleteBatches(std::vector<std::int64_t> ids) {
    Post([ids = std::move(ids)](CHistoryStore& store) { store.DeleteBatches(ids); });
}

void CHistoryWriter::ClearAll() {
    Post([](CHistoryStore& store) { store.ClearAll(); });
}

bool CHistoryWriter::WaitUntilWritten(std::chrono::milliseconds deadline) {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_posted;
    return m_changed.wait_for(lock, deadline, [&] { return m_finished >= target; });
}

bool CHistoryWriter::WaitUntilMerged(std::chrono::milliseconds deadline) {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_posted;
    return m_changed.wait_for(lock, deadline, [&] { return m_finished >= target && !m_merging; });
}

void CHistoryWriter::Post(Task task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        ++m_posted;
    }
    m_changed.notify_all();
}

void CHistoryWriter::Run() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stopping || !m_tasks.empty() || m_merging; });
            if (m_tasks.empty() && m_stopping)
                break;  // everything posted is written; a merge under way goes on next time
            if (!m_tasks.empty()) {
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
        }
        const bool posted = static_cast<bool>(task);
        if (!posted)  // nothing else to do: one step, so that new work waits no longer than that
            task = [](CHistoryStore& store) { store.MergeDeletedWords(); };
        RunTask(task);
        {
            std::lock_guard lock(m_mutex);
            m_finished += posted ? 1 : 0;
            m_merging = m_store.HasWordsToMerge();
        }
        m_changed.notify_all();
    }
    m_store.Close();
}

void CHistoryWriter::RunTask(const Task& task) {
    try {
        task(m_store);
        m_status = m_store.Status();
        if (auto notice = m_store.TakeNotice(); notice && m_onNotice)
            m_onNotice(*notice);
    } catch (...) {
        ReportCaught("the history writer");
    }
}
