// The send worker against scripted gateways on a loopback server. The queue thread is a recorder
// here; the main window is an endpoint that runs on the posting thread and passes every message
// on to the same recorder, so the recorder sees the core thread's posts to both targets in the
// order they were made.

#include <gtest/gtest.h>

#include <algorithm>

#include "DeliveryTestSupport.h"
#include "GatewayServer.h"
#include "app/CoreThread.h"
#include "contacts/Contact.h"
#include "res/StringTable.h"
#include "runtime/WindowEndpoint.h"
#include "support/CoreTestEnvironment.h"
#include "support/RecordingWorker.h"

namespace {

constexpr const char* kNumber = "5551234567";

// The reject phrases of the auto-detection carriers inside a page.
GatewayAnswer Rejection(int phraseId) {
    return {200, "<html><b>" + LoadString(phraseId) + "</b></html>"};
}

class CoreThreadTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        gateways.RouteAllGateways();
        window =
            CWindowEndpoint::Create([](std::function<void()> call) { call(); },
                                    [](Message& message) -> std::intptr_t {
                                        PostToTarget(PostTarget::QueueThread, std::move(message));
                                        return 1;
                                    });
        RegisterMainWindow(window);
        queue = StartWorker<RecordingWorker>(PostTarget::QueueThread);
        core = StartWorker<CCoreThread>(PostTarget::CoreThread);
        ASSERT_TRUE(queue && core);
    }

    void TearDown() override {
        EXPECT_TRUE(StopWorker(PostTarget::CoreThread, core));
        EXPECT_TRUE(StopWorker(PostTarget::QueueThread, queue));
        window->Close();
        CoreTest::TearDown();
    }

    // Hands the job over as the queue thread does; returns everything the core thread posted
    // for it, up to and including WM_APP_JOB_DONE.
    std::vector<Message> Deliver(CSendJob job) {
        const std::size_t before = queue->Messages().size();
        PostToTarget(PostTarget::CoreThread, WM_APP_SEND_JOB, std::move(job));
        auto done = [&] {
            auto all = queue->Messages();
            return std::any_of(all.begin() + static_cast<std::ptrdiff_t>(before), all.end(),
                               [](const Message& m) { return m.id == WM_APP_JOB_DONE; });
        };
        for (std::size_t n = before + 1; !done(); ++n) {
            if (!queue->WaitForCount(n)) {
                ADD_FAILURE() << "no WM_APP_JOB_DONE";
                break;
            }
        }
        auto all = queue->Messages();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }

    // "host METHOD" of every request the gateways received, in order.
    std::vector<std::string> Hosts() const {
        std::vector<std::string> hosts;
        for (auto& r : gateways.Requests()) hosts.push_back(r.host + " " + r.method);
        return hosts;
    }

    static std::vector<std::uint32_t> Ids(const std::vector<Message>& messages) {
        std::vector<std::uint32_t> ids;
        for (const auto& m : messages) ids.push_back(m.id);
        return ids;
    }

    GatewayServer gateways;
    std::shared_ptr<CWindowEndpoint> window;
    std::shared_ptr<RecordingWorker> queue;
    std::shared_ptr<CCoreThread> core;
};

TEST_F(CoreThreadTest, AutoDetectionReportsTheCarrierItFoundBeforeTheResult) {
    // Nextel rejects, T-Mobile accepts: two exchanges, and the carrier goes to the main window
    // before the result goes to the queue.
    gateways.SetScript([](const GatewayRequest& r) {
        return r.host == "nextel" ? Rejection(IDS_NEXTEL_ERROR) : GatewayAnswer{};
    });
    auto posted = Deliver(MakeJob(kNumber, "hello", CarrierAutoDetect));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_CARRIER_FOUND, WM_APP_JOB_DONE}));
    EXPECT_EQ(*posted[0].Get<std::string>(), kNumber);
    EXPECT_EQ(posted[0].lParam, CarrierTMobile);
    ASSERT_NE(posted[1].Get<JobOutcome>(), nullptr);
    EXPECT_EQ(posted[1].Get<JobOutcome>()->number, kNumber);
    EXPECT_EQ(posted[1].Get<JobOutcome>()->carrier, CarrierTMobile);  // for the history
    EXPECT_EQ(posted[1].lParam, ResultSent);
    EXPECT_EQ(Hosts(), (std::vector<std::string>{"nextel POST", "tmobile POST"}));
}

TEST_F(CoreThreadTest, AutoDetectionMovesOnWhateverTheFailure) {
    // Nextel rejects, T-Mobile gives no answer (an error status), Sprint PCS accepts.
    gateways.SetScript([](const GatewayRequest& r) {
        if (r.host == "nextel")
            return Rejection(IDS_NEXTEL_ERROR);
        if (r.host == "tmobile")
            return GatewayAnswer{503, "<p>Thank you</p>"};
        return GatewayAnswer{};
    });
    auto posted = Deliver(MakeJob(kNumber, "hello", CarrierAutoDetect));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_CARRIER_FOUND, WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[0].lParam, CarrierSprint);
    EXPECT_EQ(posted[1].lParam, ResultSent);
    EXPECT_EQ(Hosts(), (std::vector<std::string>{"nextel POST", "tmobile POST", "sprint GET",
                                                 "sprint POST"}));
}

TEST_F(CoreThreadTest, AutoDetectionFallsBackToUsCellularWhichCannotConfirm) {
    gateways.SetScript([](const GatewayRequest& r) {
        if (r.host == "nextel")
            return Rejection(IDS_NEXTEL_ERROR);
        if (r.host == "tmobile")
            return Rejection(IDS_TMOBILE_ERROR);
        if (r.host == "sprint" && r.method == "POST")
            return Rejection(IDS_SPRINT_ERROR);
        return GatewayAnswer{};
    });
    // Carrier 0 never splits, so even a long message gets no continuation.
    auto posted = Deliver(MakeJob(kNumber, std::string(400, 'x'), CarrierAutoDetect));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[0].lParam, ResultUnconfirmed);
    EXPECT_EQ(gateways.RequestsTo("uscellular").size(), 2u);

    // Without a reply number US Cellular refuses before sending, and its code is the result.
    posted = Deliver(MakeJob(kNumber, "hi", CarrierAutoDetect, ""));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[0].lParam, ResultNeedReplyNumber);
    EXPECT_EQ(gateways.RequestsTo("uscellular").size(), 2u);
}

TEST_F(CoreThreadTest, NoCarrierIsReportedToAMainWindowThatIsGone) {
    window->Close();
    auto posted = Deliver(MakeJob(kNumber, "hello", CarrierAutoDetect));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[0].lParam, ResultSent);
    EXPECT_EQ(gateways.RequestsTo("nextel").size(), 1u);
}

TEST_F(CoreThreadTest, AFailedPartStillQueuesTheRestBeforeItsResult) {
    gateways.SetScript([](const GatewayRequest&) { return GatewayAnswer{500, "busy"}; });
    CSendJob job =
        MakeJob(kNumber, std::string(151, 'a') + " " + std::string(100, 'b'), CarrierAllTel);
    job.replyEmail = "ann@example.org";
    auto posted = Deliver(job);

    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_QUEUE_JOB, WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[1].lParam, ResultNoConnection);
    CSendJob rest = job;
    rest.text = "(cont)..." + std::string(100, 'b');
    EXPECT_EQ(*posted[0].Get<QueueEntry>(),
              (QueueEntry{WM_APP_SEND_JOB, rest, PostTarget::MainWindow}));
    ASSERT_EQ(gateways.Requests().size(), 1u);
    EXPECT_EQ(FieldValue(gateways.Requests()[0].body, "text"),
              std::string(151, 'a') + "...%28cont%29");

    // A message that fits goes out once and queues nothing.
    posted = Deliver(MakeJob(kNumber, "short", CarrierCingular));
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
}

TEST_F(CoreThreadTest, JobsThatCannotBeSentAreReportedAndSendNothing) {
    // Carrier codes no list offers: the code for an undetermined carrier, never a success.
    for (std::int32_t carrier : {10, 42, -1}) {
        auto posted = Deliver(MakeJob(kNumber, std::string(400, 'x'), carrier));
        ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
        EXPECT_EQ(posted[0].lParam, ResultCarrierUnknown);
    }
    // Sender texts that leave no room: refused whole, with no part sent and no rest queued.
    CSendJob crowded = MakeJob(kNumber, std::string(400, 'x'), CarrierCingular);
    crowded.senderName = std::string(140, 'n');
    auto posted = Deliver(crowded);
    ASSERT_EQ(Ids(posted), (std::vector<std::uint32_t>{WM_APP_JOB_DONE}));
    EXPECT_EQ(posted[0].lParam, ResultUndeliverable);
    EXPECT_TRUE(gateways.Requests().empty());
}

}  // namespace
