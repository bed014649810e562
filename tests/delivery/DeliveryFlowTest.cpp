// Both worker threads against scripted gateways on a loopback server, observed at a recording
// main window: batches, the order of parts, counting and the donation prompt.

#include <gtest/gtest.h>

#include <atomic>

#include "DeliveryTestSupport.h"
#include "GatewayServer.h"
#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "contacts/Contact.h"
#include "res/StringTable.h"
#include "service/CounterReport.h"
#include "storage/AppSettings.h"
#include "support/CoreTestEnvironment.h"
#include "support/TestWindow.h"

namespace {

class DeliveryFlowTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        gateways.Route(IDS_ALLTEL_HOST, "alltel");
        gateways.Route(IDS_SERVICE_HOST, "counter");
        window.RegisterAsMainWindow();
        queue = StartWorker<CQueueThread>(PostTarget::QueueThread);
        core = StartWorker<CCoreThread>(PostTarget::CoreThread);
        ASSERT_TRUE(queue && core);
    }

    void TearDown() override {
        StopWorkers();
        CoreTest::TearDown();
    }

    void StopWorkers() {
        EXPECT_TRUE(StopWorker(PostTarget::QueueThread, queue));
        EXPECT_TRUE(StopWorker(PostTarget::CoreThread, core));
        queue.reset();
        core.reset();
    }

    // Waits until the window has had `count` batch reports.
    bool WaitForReports(std::size_t count) {
        return window.WaitFor([count](const std::vector<Message>& messages) {
            return static_cast<std::size_t>(std::count_if(
                       messages.begin(), messages.end(),
                       [](const Message& m) { return m.id == WM_APP_SEND_REPORT; })) >= count;
        });
    }

    // Everything the window was sent, once the workers have ended and the window has handled
    // all that was posted to it.
    std::vector<Message> Final() {
        StopWorkers();
        window.Close();
        return window.Messages();
    }

    // The "text" values the AllTel gateway received, decoded enough to read.
    std::vector<std::string> SentTo(const std::string& number) {
        std::vector<std::string> texts;
        for (auto& r : gateways.RequestsTo("alltel")) {
            if (FieldValue(r.body, "min") == number)
                texts.push_back(FieldValue(r.body, "text"));
        }
        return texts;
    }

    std::vector<std::string> Recipients() {
        std::vector<std::string> numbers;
        for (auto& r : gateways.RequestsTo("alltel")) numbers.push_back(FieldValue(r.body, "min"));
        return numbers;
    }

    GatewayServer gateways;
    TestWindow window;
    std::shared_ptr<CQueueThread> queue;
    std::shared_ptr<CCoreThread> core;
};

// Two parts for AllTel: 151 bytes, then the rest.
const std::string kTwoParts = std::string(151, 'a') + " " + std::string(40, 'b');

TEST_F(DeliveryFlowTest, TwoRecipientsGiveOneReportAfterTheSecondJob) {
    QueueBatch(
        {MakeJob("5550000001", "one", CarrierAllTel), MakeJob("5550000002", "two", CarrierAllTel)});
    ASSERT_TRUE(WaitForReports(1));
    // The report came after both jobs were delivered and counted.
    EXPECT_EQ(Recipients(), (std::vector<std::string>{"5550000001", "5550000002"}));
    EXPECT_EQ(AppSettings().MessageCount.load(), 2);

    auto messages = Final();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, WM_APP_SEND_REPORT);
    EXPECT_EQ(*messages[0].Get<SendFailureList>(), SendFailureList{});
    ASSERT_TRUE(WaitForCounterReports(std::chrono::seconds(10)));
    auto counts = gateways.RequestsTo("counter");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].target, "/count.php");
    EXPECT_EQ(counts[0].body, "counterID=1&sum=1");
}

TEST_F(DeliveryFlowTest, ALongMessageGoesOutPartByPartWithOneReport) {
    QueueJob(MakeJob("5550000001", std::string(400, 'x'), CarrierAllTel));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(SentTo("5550000001"),
              (std::vector<std::string>{std::string(151, 'x') + "...%28cont%29",
                                        "%28cont%29..." + std::string(142, 'x') + "...%28cont%29",
                                        "%28cont%29..." + std::string(107, 'x')}));
    EXPECT_EQ(AppSettings().MessageCount.load(), 3);
    ASSERT_TRUE(WaitForCounterReports(std::chrono::seconds(10)));
    EXPECT_EQ(gateways.RequestsTo("counter").size(), 3u);
    auto messages = Final();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(*messages[0].Get<SendFailureList>(), SendFailureList{});
}

TEST_F(DeliveryFlowTest, PartsOfSeveralRecipientsGoOutInTurn) {
    QueueBatch({MakeJob("5550000001", kTwoParts, CarrierAllTel),
                MakeJob("5550000002", kTwoParts, CarrierAllTel),
                MakeJob("5550000003", "short", CarrierAllTel)});
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(Recipients(), (std::vector<std::string>{"5550000001", "5550000002", "5550000003",
                                                      "5550000001", "5550000002"}));
    EXPECT_EQ(SentTo("5550000002").back(), "%28cont%29..." + std::string(40, 'b'));
    EXPECT_EQ(Final().size(), 1u);
}

TEST_F(DeliveryFlowTest, AFailedPartIsListedAndTheRestStillGoesOut) {
    std::atomic<int> posts{0};
    gateways.SetScript([&](const GatewayRequest& r) {
        if (r.host == "alltel" && posts++ == 0)
            return GatewayAnswer{500, "busy"};
        return GatewayAnswer{};
    });
    QueueJob(MakeJob("5550000001", kTwoParts, CarrierAllTel));
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(SentTo("5550000001").size(), 2u);
    EXPECT_EQ(AppSettings().MessageCount.load(), 1);
    auto messages = Final();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(*messages[0].Get<SendFailureList>(),
              (SendFailureList{{ResultNoConnection,
                                "Unable to deliver your message because a network connection was "
                                "not detected",
                                "5550000001"}}));
}

TEST_F(DeliveryFlowTest, EachFailedPartIsItsOwnEntryInTheReport) {
    // Every AllTel answer names the wrong carrier: both parts fail, both are listed.
    gateways.SetScript([](const GatewayRequest& r) {
        return r.host == "alltel"
                   ? GatewayAnswer{200, "<p>" + LoadString(IDS_ALLTEL_ERROR) + "</p>"}
                   : GatewayAnswer{};
    });
    QueueBatch({
        MakeJob("5550000001", kTwoParts, CarrierAllTel),
        MakeJob("5550000002", "hi", CarrierAllTel, "")  // no reply number: 7
    });
    ASSERT_TRUE(WaitForReports(1));
    auto messages = Final();
    ASSERT_EQ(messages.size(), 1u);
    const std::string wrong = "The carrier selected for this number is incorrect";
    EXPECT_EQ(*messages[0].Get<SendFailureList>(),
              (SendFailureList{{3, wrong, "5550000001"},
                               {7,
                                "You must enter a valid reply number before this message can be "
                                "sent",
                                "5550000002"},
                               {3, wrong, "5550000001"}}));
    EXPECT_EQ(AppSettings().MessageCount.load(), 0);
    EXPECT_TRUE(gateways.RequestsTo("counter").empty());
}

TEST_F(DeliveryFlowTest, TheFiftiethMessageAsksForTheDonationPromptOnce) {
    // 49 before a batch of one accepted part: the report, then the prompt.
    AppSettings().MessageCount = 49;
    QueueJob(MakeJob("5550000001", "one", CarrierAllTel));
    ASSERT_TRUE(WaitForReports(1));

    // A later batch where every part fails: no prompt again.
    QueueJob(MakeJob("5550000001", "no reply number", CarrierAllTel, ""));
    ASSERT_TRUE(WaitForReports(2));

    // 49 before a batch of two accepted parts: the second success passes 50, no prompt.
    AppSettings().MessageCount = 49;
    QueueBatch(
        {MakeJob("5550000001", "one", CarrierAllTel), MakeJob("5550000002", "two", CarrierAllTel)});
    ASSERT_TRUE(WaitForReports(3));
    EXPECT_EQ(AppSettings().MessageCount.load(), 51);

    std::vector<std::uint32_t> ids;
    for (auto& m : Final()) ids.push_back(m.id);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{WM_APP_SEND_REPORT, WM_APP_FIFTIETH_MESSAGE,
                                               WM_APP_SEND_REPORT, WM_APP_SEND_REPORT}));
}

TEST_F(DeliveryFlowTest, AFailingCounterNeverStopsTheQueue) {
    // The counter answers with an error, then with nothing, then cannot be reached at all.
    gateways.SetScript([](const GatewayRequest& r) {
        return r.host == "counter" ? GatewayAnswer{500, "down"} : GatewayAnswer{};
    });
    QueueJob(MakeJob("5550000001", kTwoParts, CarrierAllTel));
    ASSERT_TRUE(WaitForReports(1));
    gateways.SetScript([](const GatewayRequest& r) {
        return r.host == "counter" ? GatewayAnswer{200, ""} : GatewayAnswer{};
    });
    QueueJob(MakeJob("5550000002", "two", CarrierAllTel));
    ASSERT_TRUE(WaitForReports(2));
    OverrideStringForTests(IDS_SERVICE_HOST, "127.0.0.1:1");
    QueueJob(MakeJob("5550000003", "three", CarrierAllTel));
    ASSERT_TRUE(WaitForReports(3));

    EXPECT_EQ(Recipients(),
              (std::vector<std::string>{"5550000001", "5550000001", "5550000002", "5550000003"}));
    EXPECT_EQ(AppSettings().MessageCount.load(), 4);
    for (auto& m : Final()) EXPECT_EQ(*m.Get<SendFailureList>(), SendFailureList{});
}

}  // namespace
