// The modem route end to end: both worker threads, ModemManager in test mode on a private bus
// and the lab's GSM modem, checked at the lab's inboxes and the batch report.

#include <gtest/gtest.h>

#include "ModemFixture.h"
#include "base/Shutdown.h"
#include "base/Text.h"
#include "delivery/SmsCount.h"
#include "delivery/routes/ModemFailures.h"
#include "storage/AppSettings.h"
#include "support/RecordingWorker.h"

namespace {

using namespace modem_failure;

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

SendFailure Failed(std::string_view reason, const std::string& number,
                   SendResult code = ResultNoConnection) {
    return {code, std::string(reason), number};
}

TEST_F(ModemRouteTest, EachTextArrivesWholeInTheTextsItWasCountedIn) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {PhoneOf(1), "Hello from Quillo over the modem"},
        {PhoneOf(2), Repeat("The quick brown fox jumps over the lazy dog. ", 9).substr(0, 400)},
        {PhoneOf(3), "Emoji \U0001F600 and Cyrillic: Привет, как дела?"},
        {PhoneOf(4), "Escapes cost two: { } [ ] ~ | \\ ^ \u20AC, accents stay: \u00E9\u00E8\u00F1"},
        {PhoneOf(5), Repeat("\u00E9t\u00E9 \U0001F600 ", 20)},
    };
    std::vector<CSendJob> jobs;
    int counted = 0;
    for (const auto& [number, text] : cases) {
        jobs.push_back(ModemJob(number, text));
        counted += CountSms(text).parts;
    }
    const std::uint64_t before = Modem().PdusReceived();
    EXPECT_EQ(SendBatch(jobs), SendFailureList{});
    EXPECT_EQ(Modem().PdusReceived() - before, static_cast<std::uint64_t>(counted));
    for (const auto& [number, text] : cases) {
        const auto inbox = m_lab.Inbox(number);
        ASSERT_EQ(inbox.size(), 1u) << number;
        EXPECT_EQ(inbox[0].text, text);
        EXPECT_EQ(inbox[0].parts, CountSms(text).parts) << text;
    }
    EXPECT_EQ(CountSms(cases[1].second).parts, 3);
    EXPECT_EQ(AppSettings().MessageCount.load(), static_cast<std::int32_t>(cases.size()));
}

TEST_F(ModemRouteTest, AFiftyRecipientBatchIsCountedAndReportedOnce) {
    std::vector<CSendJob> jobs;
    for (int i = 0; i < 50; ++i)
        jobs.push_back(
            ModemJob("55502" + std::to_string(10000 + i), "Batch text " + std::to_string(i)));
    EXPECT_EQ(SendBatch(jobs), SendFailureList{});
    EXPECT_EQ(m_lab.AllMessages().size(), 50u);
    EXPECT_EQ(AppSettings().MessageCount.load(), 50);
    EXPECT_TRUE(m_window.WaitFor([](const std::vector<Message>& messages) {
        return std::any_of(messages.begin(), messages.end(),
                           [](const Message& m) { return m.id == WM_APP_FIFTIETH_MESSAGE; });
    }));
}

TEST_F(ModemRouteTest, EachFaultIsOneLineOfTheReportAndTheNextBatchGoesOut) {
    struct Case {
        lab::ModemFault fault;
        std::string_view reason;
        SendResult code;
    };
    const std::vector<Case> cases = {
        {{lab::ModemFaultKind::CmsError, 331}, kNoNetwork, ResultNoConnection},
        {{lab::ModemFaultKind::CmsError, 322}, kMemoryFull, ResultUndeliverable},
        {{lab::ModemFaultKind::CmsError, 302}, kNotAllowed, ResultUndeliverable},
        {{lab::ModemFaultKind::CmsError, 500}, kRefused, ResultUndeliverable},
        {{lab::ModemFaultKind::SimPin}, kSimLocked, ResultUndeliverable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reason));
        lab::ModemFault fault = c.fault;
        fault.number = PhoneOf(7);
        Modem().AddFault(fault);
        EXPECT_EQ(SendBatch({ModemJob(PhoneOf(7), "Faulty"), ModemJob(PhoneOf(8), "Fine")}),
                  (SendFailureList{Failed(c.reason, PhoneOf(7), c.code)}));
        EXPECT_EQ(SendBatch({ModemJob(PhoneOf(7), "Again")}), SendFailureList{});
    }
    EXPECT_EQ(m_lab.Inbox(PhoneOf(8)).size(), cases.size());
    EXPECT_EQ(m_lab.Inbox(PhoneOf(7)).size(), cases.size());
}

TEST_F(ModemRouteTest, JobsTheRouteCannotSendSayWhyAndTheRestGoOut) {
    CSendJob shortNumber = ModemJob("555123", "Hi");
    CSendJob tooLong = ModemJob(PhoneOf(1), Repeat("x", 2500));
    CSendJob otherModem = ModemJob(PhoneOf(2), "Hi");
    otherModem.route.modem = "/org/freedesktop/ModemManager1/Modem/999";
    EXPECT_EQ(SendBatch({shortNumber, tooLong, otherModem, ModemJob(PhoneOf(3), "Hi")}),
              (SendFailureList{Failed(kBadNumber, "555123", ResultUndeliverable),
                               Failed(kTooLong, PhoneOf(1), ResultUndeliverable),
                               Failed(kNoModem, PhoneOf(2))}));
    EXPECT_EQ(m_lab.AllMessages().size(), 1u);
}

TEST_F(ModemRouteTest, AModemThatGoesAwayMidBatchFailsWhatIsLeftUntilItIsBack) {
    Modem().AddFault({lab::ModemFaultKind::Gone, 0, PhoneOf(2)});
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "First"), ModemJob(PhoneOf(2), "Pulled"),
                         ModemJob(PhoneOf(3), "Third")}),
              (SendFailureList{Failed(kModemGone, PhoneOf(2)), Failed(kModemGone, PhoneOf(3))}));
    m_modemPath = s_daemon->Plug(m_modemSocket, m_modemPath);
    ASSERT_FALSE(m_modemPath.empty());
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(3), "Back")}), SendFailureList{});
    EXPECT_EQ(m_lab.AllMessages().size(), 2u);
}

TEST_F(ModemRouteTest, AModemThatNeverAnswersTimesOutAndWorksOncePluggedAgain) {
    ASSERT_EQ(SendBatch({ModemJob(PhoneOf(1), "Ready")}), SendFailureList{});  // enabled now
    CModemRoute::SetCallDeadlineForTests(std::chrono::seconds(3));
    Modem().AddFault({lab::ModemFaultKind::NoAnswer, 0, PhoneOf(1)});
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "Hello?")}),
              (SendFailureList{Failed(kTimeout, PhoneOf(1))}));
    CModemRoute::SetCallDeadlineForTests(std::chrono::seconds(20));
    EXPECT_TRUE(Modem().Faults().empty());  // the modem was asked, and said nothing
    Modem().Unplug();
    m_modemPath = s_daemon->Plug(m_modemSocket, m_modemPath);
    ASSERT_FALSE(m_modemPath.empty());
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "Back")}), SendFailureList{});
}

TEST_F(ModemRouteTest, OnceShutdownIsRequestedNoJobReachesTheModem) {
    RequestShutdown();
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "Late"), ModemJob(PhoneOf(2), "Later")}),
              (SendFailureList{Failed(kClosing, PhoneOf(1)), Failed(kClosing, PhoneOf(2))}));
    EXPECT_EQ(Modem().PdusReceived(), 0u);
}

TEST_F(ModemRouteTest, WithoutModemManagerOnTheBusEveryJobSaysSo) {
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (m_temp / "no-bus").string()).c_str(), 1);
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "Hi"), ModemJob(PhoneOf(2), "Hi")}),
              (SendFailureList{Failed(kNoService, PhoneOf(1)), Failed(kNoService, PhoneOf(2))}));
}

TEST_F(ModemRouteTest, EachTextThatAskedForAReportAndGotOneHasItPostedUnderItsMessageId) {
    struct Case {
        std::string number;
        bool asked;
        std::optional<lab::ModemFaultKind> fault;
        std::optional<ReportedDelivery> posted;
    };
    const std::vector<Case> cases = {
        {PhoneOf(1), true, std::nullopt, ReportedDelivery::Delivered},
        {PhoneOf(2), true, lab::ModemFaultKind::ReportFailed, ReportedDelivery::Failed},
        {PhoneOf(3), true, lab::ModemFaultKind::NoReport, std::nullopt},
        {PhoneOf(4), false, std::nullopt, std::nullopt},
        // The lab reports in the order it sent: once this one is in, all the others are.
        {PhoneOf(5), true, std::nullopt, ReportedDelivery::Delivered},
    };
    auto queue = StartWorker<RecordingWorker>(PostTarget::QueueThread);
    ASSERT_TRUE(queue);
    std::map<std::string, ReportedDelivery> expected;
    {
        CModemRoute route;
        for (const Case& c : cases) {
            if (c.fault)
                Modem().AddFault({*c.fault, 0, c.number});
            CSendJob job = ModemJob(c.number, "Did it arrive?");
            job.route.deliveryReports = c.asked;
            const RouteResult sent = route.Send(job);
            ASSERT_EQ(sent.code, ResultSent) << sent.reason;
            if (c.posted)
                expected[sent.messageId] = *c.posted;
        }
        ASSERT_TRUE(queue->WaitForCount(expected.size()));
    }
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    std::map<std::string, ReportedDelivery> posted;
    for (Message& message : queue->Messages()) {
        const auto* report = message.Get<DeliveryReport>();
        ASSERT_TRUE(report && message.id == WM_APP_DELIVERY_REPORT) << message.id;
        EXPECT_EQ(report->route, RouteModem);
        EXPECT_LT(std::abs(now - report->atMs), 60000) << report->atMs;
        posted[report->messageId] = report->state;
    }
    EXPECT_EQ(posted, expected);
    EXPECT_EQ(Modem().ReportsAsked(), 4u);
    EXPECT_EQ(m_lab.AllMessages().size(), cases.size());
    EXPECT_TRUE(StopWorker(PostTarget::QueueThread, queue));
}

TEST_F(ModemRouteTest, ShutdownDuringASendTheModemNeverAnswersEndsTheCoreThreadPromptly) {
    ASSERT_EQ(SendBatch({ModemJob(PhoneOf(1), "Ready")}), SendFailureList{});  // enabled now
    Modem().AddFault({lab::ModemFaultKind::NoAnswer, 0, PhoneOf(1)});
    const std::uint64_t before = Modem().PdusReceived();
    QueueBatch({ModemJob(PhoneOf(1), "Hello?")});
    ASSERT_TRUE(Modem().WaitForPdus(before + 1, std::chrono::seconds(20)));
    RequestShutdown();
    m_core->PostQuitMessage();
    // Well inside the 20 s each call is given.
    EXPECT_TRUE(m_core->Join(std::chrono::seconds(3)));
}

class ModemLockedSimTest : public ModemRouteTest {
protected:
    void BeforePlug() override { Modem().SetSimLocked(true); }
};

TEST_F(ModemLockedSimTest, ASimLockedFromTheStartIsReportedAndNeverUnlocked) {
    EXPECT_EQ(SendBatch({ModemJob(PhoneOf(1), "Locked?"), ModemJob(PhoneOf(2), "Still?")}),
              (SendFailureList{Failed(kSimLocked, PhoneOf(1), ResultUndeliverable),
                               Failed(kSimLocked, PhoneOf(2), ResultUndeliverable)}));
    EXPECT_EQ(Modem().PinsEntered(), 0);
    EXPECT_EQ(Modem().PdusReceived(), 0u);
}

}  // namespace
