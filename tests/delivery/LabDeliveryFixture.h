#pragma once
// The delivery road against the carrier lab running in the test process: both worker threads,
// the HTTP client and the lab's strict gateways, observed at a recording main window.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "DeliveryTestSupport.h"
#include "app/CoreThread.h"
#include "app/QueueThread.h"
#include "delivery/SendFailure.h"
#include "net/Internet.h"
#include "support/CoreTestEnvironment.h"
#include "support/InProcessLab.h"
#include "support/TempDir.h"
#include "support/TestWindow.h"

// The lab gives each number the carrier of its last digit.
inline std::string PhoneOf(std::int32_t carrier, char series = '0') {
    return std::string("555010") + series + "00" + std::to_string(carrier);
}

inline CSendJob FullJob(std::string number, std::string text, std::int32_t carrier) {
    CSendJob job = MakeJob(std::move(number), std::move(text), carrier);
    job.replyEmail = "ann@example.org";
    return job;
}

class LabDeliveryTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        inet::ClearCookiesForTests();
        m_lab.Start(m_temp.path(), m_modemSocket);
        m_window.RegisterAsMainWindow();
        m_queue = StartWorker<CQueueThread>(PostTarget::QueueThread);
        m_core = StartWorker<CCoreThread>(PostTarget::CoreThread);
        ASSERT_TRUE(m_queue && m_core);
    }

    void TearDown() override {
        EXPECT_TRUE(StopWorker(PostTarget::QueueThread, m_queue));
        EXPECT_TRUE(StopWorker(PostTarget::CoreThread, m_core));
        m_lab.Stop();
        inet::ResetNetworkTimeoutsForTests();
        CoreTest::TearDown();
    }

    // Queues the jobs as one batch and returns its report.
    SendFailureList SendBatch(const std::vector<CSendJob>& jobs) {
        const std::size_t reports = Reports().size();
        QueueBatch(jobs);
        EXPECT_TRUE(m_window.WaitFor(
            [&](const std::vector<Message>& messages) {
                return std::count_if(messages.begin(), messages.end(), [](const Message& m) {
                           return m.id == WM_APP_SEND_REPORT;
                       }) > static_cast<std::ptrdiff_t>(reports);
            },
            std::chrono::seconds(30)));
        auto all = Reports();
        return all.size() > reports ? all[reports] : SendFailureList{{-1, "no report", ""}};
    }

    std::vector<SendFailureList> Reports() const {
        std::vector<SendFailureList> reports;
        for (auto& m : m_window.Messages()) {
            if (auto* list = m.Get<SendFailureList>())
                reports.push_back(*list);
        }
        return reports;
    }

    std::vector<std::string> InboxTexts(const std::string& number) const {
        std::vector<std::string> texts;
        for (auto& message : m_lab.Inbox(number)) texts.push_back(message.text);
        return texts;
    }

    void ExpectNoProtocolError() const {
        for (const auto& entry : m_lab.Log()) {
            EXPECT_EQ(entry.protocolError, "")
                << entry.method << " " << entry.host << entry.target << " " << entry.body;
        }
    }

    std::string m_modemSocket;  // set before SetUp for a lab with its GSM modem
    TempDir m_temp;
    InProcessLab m_lab;
    TestWindow m_window;
    std::shared_ptr<CQueueThread> m_queue;
    std::shared_ptr<CCoreThread> m_core;
};
