// The whole delivery road against the carrier lab running in this process: both worker threads,
// the HTTP client and the lab's nine strict gateways, observed at a recording main window.

#include <gtest/gtest.h>

#include "LabDeliveryFixture.h"
#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "base/Paths.h"
#include "carrier-lab/LabServer.h"
#include "contacts/Contact.h"
#include "delivery/SendFailure.h"
#include "delivery/Splitting.h"
#include "net/Internet.h"
#include "res/StringTable.h"
#include "service/CounterReport.h"
#include "storage/AppSettings.h"
#include "support/CoreTestEnvironment.h"
#include "support/InProcessLab.h"
#include "support/TempDir.h"
#include "support/TestWindow.h"

namespace {

TEST_F(LabDeliveryTest, EveryCarrierDeliversToItsOwnPhone) {
    std::vector<CSendJob> jobs;
    for (std::int32_t carrier = 1; carrier < kCarrierCount; ++carrier) {
        jobs.push_back(FullJob(PhoneOf(carrier),
                               "Hello from Quillo, carrier " + std::to_string(carrier), carrier));
    }
    EXPECT_EQ(SendBatch(jobs), SendFailureList{});
    for (const auto& job : jobs) {
        EXPECT_EQ(InboxTexts(job.number), std::vector<std::string>{job.text}) << job.carrier;
    }
    EXPECT_TRUE(WaitForCounterReports(std::chrono::seconds(10)));
    EXPECT_EQ(m_lab.Counter().reports, 9);
    EXPECT_EQ(AppSettings().MessageCount.load(), 9);
    ExpectNoProtocolError();
}

TEST_F(LabDeliveryTest, AutoDetectionFindsTheCarriersThatRejectForeignNumbers) {
    std::vector<CSendJob> jobs;
    for (std::int32_t carrier : {CarrierNextel, CarrierTMobile, CarrierSprint, CarrierUSCellular}) {
        jobs.push_back(FullJob(PhoneOf(carrier), "Who are you with?", CarrierAutoDetect));
    }
    // US Cellular takes anything, so what it accepts is only "sent, not confirmed".
    EXPECT_EQ(SendBatch(jobs), (SendFailureList{{ResultUnconfirmed, StatusText(ResultUnconfirmed),
                                                 PhoneOf(CarrierUSCellular)}}));
    std::vector<std::pair<std::string, std::intptr_t>> found;
    for (auto& m : m_window.Messages()) {
        if (m.id == WM_APP_CARRIER_FOUND)
            found.emplace_back(*m.Get<std::string>(), m.lParam);
    }
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::intptr_t>>{
                         {PhoneOf(CarrierNextel), CarrierNextel},
                         {PhoneOf(CarrierTMobile), CarrierTMobile},
                         {PhoneOf(CarrierSprint), CarrierSprint}}));
    for (const auto& job : jobs) EXPECT_EQ(InboxTexts(job.number).size(), 1u) << job.number;
    ExpectNoProtocolError();
}

TEST_F(LabDeliveryTest, ALongMessageArrivesAsItsPartsInOrder) {
    std::string text;
    for (int word = 0; text.size() < 420; ++word) text += "word" + std::to_string(word) + " ";
    text.pop_back();
    const CSendJob job = FullJob(PhoneOf(CarrierTMobile), text, CarrierTMobile);
    EXPECT_EQ(SendBatch({job}), SendFailureList{});

    const auto received = InboxTexts(job.number);
    ASSERT_GE(received.size(), 4u);
    std::string joined;
    for (std::size_t i = 0; i < received.size(); ++i) {
        std::string_view part = received[i];
        if (i > 0) {
            EXPECT_EQ(part.substr(0, 9), kContinuesMarker);
            part.remove_prefix(9);
            joined += ' ';  // the space each cut dropped
        }
        if (i + 1 < received.size()) {
            EXPECT_EQ(part.substr(part.size() - 9), kContinuedMarker);
            part.remove_suffix(9);
        }
        joined += part;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(AppSettings().MessageCount.load(), static_cast<std::int32_t>(received.size()));
    ExpectNoProtocolError();
}

TEST_F(LabDeliveryTest, GatewayFaultsGiveNoConnectionAndTheNextJobStillGoesOut) {
    inet::SetNetworkTimeoutsForTests(std::chrono::seconds(5), std::chrono::milliseconds(300));
    const std::string host =
        LoadString(IDS_CINGULAR_HOST).substr(0, LoadString(IDS_CINGULAR_HOST).find(':'));
    lab::Fault delay{lab::FaultKind::Delay};
    delay.delay = std::chrono::milliseconds(1500);
    const std::pair<const char*, lab::Fault> faults[] = {
        {"status 500", lab::Fault{lab::FaultKind::Status}},
        {"empty body", lab::Fault{lab::FaultKind::EmptyBody}},
        {"dropped connection", lab::Fault{lab::FaultKind::Drop}},
        {"delay past the time-out", delay},
    };
    char series = '1';
    for (const auto& [name, fault] : faults) {
        SCOPED_TRACE(name);
        m_lab.InjectFault(host, fault);
        const std::string number = PhoneOf(CarrierCingular, series++);
        EXPECT_EQ(SendBatch({FullJob(number, "first", CarrierCingular),
                             FullJob(number, "second", CarrierCingular)}),
                  (SendFailureList{{ResultNoConnection, StatusText(ResultNoConnection), number}}));
        const auto texts = InboxTexts(number);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "second"), texts.end());
    }
}

TEST_F(LabDeliveryTest, ACounterServiceThatDoesNotAnswerDoesNotHoldUpTheBatch) {
    // Each report waits out the stall time-out: twenty in a row would take 40 s.
    inet::SetNetworkTimeoutsForTests(std::chrono::seconds(5), std::chrono::seconds(2));
    lab::Fault hang{lab::FaultKind::Delay};
    hang.count = 20;
    hang.delay = std::chrono::milliseconds(2500);
    const std::string service = LoadString(IDS_SERVICE_HOST);
    m_lab.InjectFault(service.substr(0, service.find(':')), hang);
    std::vector<CSendJob> jobs;
    for (int i = 10; i < 30; ++i) {
        jobs.push_back(FullJob("55502" + std::to_string(i) + "001", "on time", CarrierAllTel));
    }
    EXPECT_EQ(SendBatch(jobs), SendFailureList{});
    EXPECT_EQ(m_lab.AllMessages().size(), 20u);
    EXPECT_EQ(AppSettings().MessageCount.load(), 20);
    // The reports are still under way, one per part, off the batch's path.
    EXPECT_FALSE(WaitForCounterReports(std::chrono::milliseconds(0)));
    m_lab.Stop();
    EXPECT_TRUE(WaitForCounterReports(std::chrono::seconds(30)));
}

}  // namespace
