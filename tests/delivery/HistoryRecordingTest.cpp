// Every batch through the real queue and core threads to the in-process lab ends up in the
// history, each recipient with its result and the carrier that took it; delivery reports reach
// their recipient's row, also the parts a stopping queue cut short; a damaged history file is put
// aside and told once.

#include <atomic>
#include <cstdint>
#include <fstream>

#include "LabDeliveryFixture.h"
#include "app/AppHistory.h"
#include "app/HistoryKeeping.h"
#include "res/StringTable.h"
#include "support/RecordingWorker.h"

namespace {

// Stands in for the core thread on a route that gives message ids ("id-" and the number): each
// job is sent, and the network reports it pending at once, while its batch is still going. Jobs
// past the first `answered` get no answer.
class IdGivingCore : public RecordingWorker {
public:
    std::atomic<std::size_t> answered{SIZE_MAX};

protected:
    bool Dispatch(Message& message) override {
        RecordingWorker::Dispatch(message);
        const CSendJob* job = message.Expect<CSendJob>();
        if (!job || Messages().size() > answered)
            return false;
        const std::string id = "id-" + job->number;
        PostToTarget(PostTarget::QueueThread, WM_APP_JOB_DONE, JobOutcome{job->number, {}, id, 0},
                     ResultSent);
        PostToTarget(PostTarget::QueueThread, WM_APP_DELIVERY_REPORT,
                     DeliveryReport{job->route.route, id, ReportedDelivery::Pending, 100});
        return true;
    }
};

std::vector<CSendJob> ModemJobs() {
    std::vector<CSendJob> jobs = {FullJob(PhoneOf(CarrierVerizon), "by modem", CarrierVerizon),
                                  FullJob(PhoneOf(CarrierSprint), "by modem", CarrierSprint)};
    for (CSendJob& job : jobs) job.route.route = RouteModem;
    return jobs;
}

class HistoryRecording : public LabDeliveryTest {
protected:
    // The queue thread again, now with the history's recorder.
    void StartHistory() {
        ASSERT_TRUE(StopWorker(PostTarget::QueueThread, m_queue));
        m_history = std::make_unique<CAppHistory>(m_temp.path());
        m_queue =
            std::make_shared<CQueueThread>(m_history->Recorder(), m_history->DeliveryRecorder());
        ASSERT_TRUE(m_queue->CreateThread());
        RegisterWorker(PostTarget::QueueThread, m_queue);
    }

    // The core thread replaced by an IdGivingCore.
    std::shared_ptr<IdGivingCore> StartIdGivingCore() {
        EXPECT_TRUE(StopWorker(PostTarget::CoreThread, m_core));
        m_core = nullptr;
        return StartWorker<IdGivingCore>(PostTarget::CoreThread);
    }

    std::vector<HistoryBatch> Recorded() {
        EXPECT_TRUE(m_history->WaitUntilWritten(std::chrono::seconds(10)));
        CHistoryStore reader;
        HistoryOptions options;
        options.reader = true;
        EXPECT_EQ(reader.Open(m_history->File(), options), HistoryStatus::Ready);
        return reader.Page({});
    }

    std::unique_ptr<CAppHistory> m_history;
};

CSendJob Named(CSendJob job, std::string name) {
    job.shownName = std::move(name);
    return job;
}

TEST_F(HistoryRecording, EachRecipientIsKeptWithItsResult) {
    StartHistory();
    const std::string host =
        LoadString(IDS_CINGULAR_HOST).substr(0, LoadString(IDS_CINGULAR_HOST).find(':'));
    m_lab.InjectFault(host, lab::Fault{lab::FaultKind::Status});

    struct Row {
        CSendJob job;
        std::int32_t result;
        const char* carrier;
    };
    const std::string text = "Caf\xE9 at five?";  // as the job carries it, in the code page
    CSendJob noReply = MakeJob(PhoneOf(CarrierATTWireless), text, CarrierATTWireless, "");
    const Row rows[] = {
        {Named(FullJob(PhoneOf(CarrierVerizon), text, CarrierVerizon), "Ann Lee"), ResultSent,
         "Verizon"},
        {MakeJob(PhoneOf(CarrierAllTel), text, CarrierAllTel, ""), ResultNeedReplyNumber, "AllTel"},
        {noReply, ResultNeedReplyAddress, "AT&T Wireless"},
        {FullJob(PhoneOf(CarrierCingular), text, CarrierCingular), ResultNoConnection, "Cingular"},
        {Named(FullJob(PhoneOf(CarrierUSCellular), text, CarrierAutoDetect), "Bo"),
         ResultUnconfirmed, "Auto-Detect"},
        {FullJob(PhoneOf(CarrierTMobile), text, CarrierAutoDetect), ResultSent, "T-Mobile"},
    };
    std::vector<CSendJob> jobs;
    for (const Row& row : rows) jobs.push_back(row.job);
    SendBatch(jobs);

    const std::vector<HistoryBatch> batches = Recorded();
    ASSERT_EQ(batches.size(), 1u);
    const HistoryBatch& batch = batches[0];
    EXPECT_EQ(batch.route, "Carrier web forms");
    EXPECT_EQ(batch.firstLineUtf8, "Caf\xC3\xA9 at five?");
    EXPECT_EQ(batch.failedCount, 4);
    EXPECT_EQ(batch.sentCount, 2);
    EXPECT_NEAR(static_cast<double>(batch.sentAt), static_cast<double>(UtcNowMs()), 60'000.0);
    ASSERT_EQ(batch.recipients.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const HistoryRecipient& r = batch.recipients[i];
        SCOPED_TRACE(rows[i].carrier);
        EXPECT_EQ(r.number, rows[i].job.number);
        EXPECT_EQ(r.name, rows[i].job.shownName);
        EXPECT_EQ(r.carrier, rows[i].carrier);
        EXPECT_EQ(r.result, rows[i].result);
        EXPECT_EQ(r.resultText, rows[i].result == ResultSent ? "" : StatusText(rows[i].result));
        EXPECT_EQ(r.parts, 1);
    }
}

TEST_F(HistoryRecording, ALongMessageIsOneRecipientWithItsPartsAndBatchesComeNewestFirst) {
    StartHistory();
    std::string text;
    for (int word = 0; text.size() < 420; ++word) text += "word" + std::to_string(word) + " ";
    const CSendJob job = FullJob(PhoneOf(CarrierTMobile), text, CarrierTMobile);
    EXPECT_EQ(SendBatch({job}), SendFailureList{});
    EXPECT_EQ(SendBatch({FullJob(PhoneOf(CarrierTMobile, '2'), "second", CarrierTMobile)}),
              SendFailureList{});

    const std::vector<HistoryBatch> batches = Recorded();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].firstLineUtf8, "second");
    ASSERT_EQ(batches[1].recipients.size(), 1u);
    EXPECT_EQ(batches[1].recipients[0].parts,
              static_cast<std::int32_t>(InboxTexts(job.number).size()));
    EXPECT_GE(batches[1].recipients[0].parts, 4);
    EXPECT_EQ(batches[1].sentCount, 1);
}

TEST_F(HistoryRecording, DeliveryReportsReachTheirRecipientDuringAndAfterTheBatch) {
    StartHistory();
    const auto core = StartIdGivingCore();
    ASSERT_TRUE(core);
    const std::vector<CSendJob> jobs = ModemJobs();
    EXPECT_EQ(SendBatch(jobs), SendFailureList{});

    const std::string second = "id-" + jobs[1].number;
    for (const DeliveryReport& report :
         {DeliveryReport{RouteModem, second, ReportedDelivery::Delivered, 200},
          DeliveryReport{RouteModem, "id-", ReportedDelivery::Failed, 300},
          DeliveryReport{RouteWebService, second, ReportedDelivery::Failed, 300}})
        PostToTarget(PostTarget::QueueThread, WM_APP_DELIVERY_REPORT, report);
    // The queue thread takes messages in turn: once the next batch is reported, so were those.
    CSendJob next = jobs[0];
    next.number = PhoneOf(CarrierVerizon, '2');
    EXPECT_EQ(SendBatch({next}), SendFailureList{});
    EXPECT_TRUE(StopWorker(PostTarget::CoreThread, core));

    const std::vector<HistoryBatch> batches = Recorded();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].route, "Modem");
    ASSERT_EQ(batches[1].recipients.size(), 2u);
    const HistoryRecipient& first = batches[1].recipients[0];
    const HistoryRecipient& last = batches[1].recipients[1];
    EXPECT_EQ(first.carrier, "Modem");
    EXPECT_EQ(first.messageId, "id-" + jobs[0].number);
    // Reported while its batch was still going: kept until the batch was recorded.
    EXPECT_EQ(first.state, DeliveryState::Pending);
    EXPECT_EQ(first.stateAt, 100);
    // An unknown id, or another route's, changes nothing.
    EXPECT_EQ(last.messageId, second);
    EXPECT_EQ(last.state, DeliveryState::Delivered);
    EXPECT_EQ(last.stateAt, 200);
}

TEST_F(HistoryRecording, APartOfABatchThatWentOutBeforeTheQueueStoppedIsKept) {
    StartHistory();
    const auto core = StartIdGivingCore();
    ASSERT_TRUE(core);
    core->answered = 1;
    QueueBatch(ModemJobs());
    ASSERT_TRUE(core->WaitForCount(2));  // the second is handed over once the first is done
    EXPECT_TRUE(StopWorker(PostTarget::QueueThread, m_queue));
    m_queue = nullptr;
    EXPECT_TRUE(StopWorker(PostTarget::CoreThread, core));

    const std::vector<HistoryBatch> batches = Recorded();
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].recipients.size(), 1u);
    EXPECT_EQ(batches[0].recipients[0].number, ModemJobs()[0].number);
}

TEST_F(HistoryRecording, ADamagedFileIsPutAsideTheBatchIsKeptAndTheUserToldOnce) {
    std::ofstream(HistoryFilePath(m_temp.path()), std::ios::binary) << std::string(8192, 'x');
    StartHistory();
    EXPECT_EQ(SendBatch({FullJob(PhoneOf(CarrierVerizon), "still here", CarrierVerizon)}),
              SendFailureList{});
    EXPECT_EQ(Recorded().size(), 1u);

    m_history->ShowNotice();
    m_history->ShowNotice();
    const auto boxes = ui->MessageTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("was damaged"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("QuilloHistory.db.damaged-"), std::string::npos) << boxes[0];
}

TEST_F(HistoryRecording, KeepingNoHistoryRecordsNothingFromThenOn) {
    StartHistory();
    ASSERT_TRUE(m_history->SetKeepDays(0));
    EXPECT_EQ(SendBatch({FullJob(PhoneOf(CarrierVerizon), "private", CarrierVerizon)}),
              SendFailureList{});
    EXPECT_TRUE(Recorded().empty());
    EXPECT_EQ(LoadHistoryKeepDays(HistoryKeepingFilePath(m_temp.path())), 0);
}

}  // namespace
