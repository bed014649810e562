#include "app/AppHistory.h"

#include <map>
#include <utility>

#include "app/HistoryKeeping.h"
#include "base/Text.h"
#include "runtime/UiServices.h"

namespace {

std::atomic<CAppHistory*> g_running{nullptr};

HistoryOptions OptionsFor(int keepDays) {
    HistoryOptions options;
    options.keepDays = keepDays;
    return options;
}

}  // namespace

CAppHistory::CAppHistory(const std::filesystem::path& dataDirectory)
    : m_file(HistoryFilePath(dataDirectory)),
      m_keepingFile(HistoryKeepingFilePath(dataDirectory)),
      m_shared(std::make_shared<Shared>()) {
    m_shared->keepDays = LoadHistoryKeepDays(m_keepingFile);
    m_writer = std::make_shared<CHistoryWriter>(
        m_file, OptionsFor(m_shared->keepDays.load()),
        [shared = m_shared](const HistoryNotice& notice) { shared->Keep(notice); });
    g_running = this;
}

CAppHistory::~CAppHistory() {
    g_running = nullptr;
    m_writer.reset();  // a recorder still held by a worker that did not stop keeps it open
}

CAppHistory* CAppHistory::Running() {
    return g_running.load();
}

CQueueThread::BatchRecorder CAppHistory::Recorder() {
    // The writer is kept by value: a queue thread that outlives this object still records
    // safely; the choice to keep nothing is read on every batch.
    return [writer = m_writer, shared = m_shared](HistoryBatchRecord batch) {
        if (shared->keepDays.load() != 0)
            writer->Record(std::move(batch));
    };
}

CQueueThread::DeliveryRecorder CAppHistory::DeliveryRecorder() {
    return [writer = m_writer, shared = m_shared](const DeliveryReport& report) {
        if (shared->keepDays.load() != 0)
            writer->UpdateDelivery(HistoryRouteName(report.route), report.messageId,
                                   HistoryDeliveryState(report.state), report.atMs);
    };
}

void CAppHistory::DeleteBatches(std::vector<std::int64_t> ids) {
    m_writer->DeleteBatches(std::move(ids));
}

void CAppHistory::ClearAll() {
    m_writer->ClearAll();
}

bool CAppHistory::Opened() const {
    return m_writer->Status() != HistoryStatus::Closed;
}

bool CAppHistory::WaitUntilWritten(std::chrono::milliseconds deadline) {
    return m_writer->WaitUntilWritten(deadline);
}

bool CAppHistory::SetKeepDays(int days) {
    m_shared->keepDays = days;
    return SaveHistoryKeepDays(m_keepingFile, days);
}

void CAppHistory::Shared::Keep(const HistoryNotice& found) {
    std::lock_guard lock(mutex);
    if (!told && !notice)
        notice = found;
}

void CAppHistory::ShowNotice() {
    std::optional<HistoryNotice> notice;
    {
        std::lock_guard lock(m_shared->mutex);
        notice = std::exchange(m_shared->notice, std::nullopt);
        if (notice)
            m_shared->told = true;
    }
    if (notice)
        ShowMessageBox(NoticeText(*notice), MbButtons::Ok, MbIcon::Warning);
}

std::string CAppHistory::NoticeText(const HistoryNotice& notice) {
    static const std::map<HistoryStatus, std::string> kTexts = {
        {HistoryStatus::Restarted,
         "The history of sent messages was damaged. It was put aside as \"%s\" and a new "
         "history was started."},
        {HistoryStatus::Locked,
         "The history of sent messages is in use by another copy of Quillo. This copy keeps no "
         "history."},
        {HistoryStatus::NewerVersion,
         "The history of sent messages was written by a newer version of Quillo. This copy "
         "leaves it alone and keeps no history."},
        {HistoryStatus::CannotOpen,
         "The history of sent messages cannot be opened (%s). Quillo keeps no history for now."},
    };
    const auto found = kTexts.find(notice.status);
    if (found == kTexts.end())
        return {};
    std::string text = found->second;
    const std::string detail = notice.status == HistoryStatus::Restarted
                                   ? notice.movedAside.filename().string()
                                   : notice.detail;
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, Utf8ToCp1252(detail));
    return text;
}
