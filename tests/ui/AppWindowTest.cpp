#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/MessengerApp.h"
#include "runtime/PostToTarget.h"
#include "support/CoreTestEnvironment.h"
#include "ui/main/MainDlg.h"

namespace {

class AppWindow : public CoreTest {};

}  // namespace

TEST_F(AppWindow, TheProgramShowsQuilloAndClosingTheWindowEndsTheRun) {
    QString title;
    bool registered = false;
    CMessengerApp app([&] {
        AppSettings().ExeDirectory = programDir.path() / "";  // not the test program's folder
        CMainDlg dialog;
        QTimer::singleShot(0, &dialog, [&] {
            title = dialog.windowTitle();
            registered = MainWindowExists();
            dialog.close();  // the close box
        });
        dialog.exec();
    }, std::chrono::seconds(3), false);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(title, "Quillo");
    EXPECT_TRUE(registered);
    EXPECT_FALSE(MainWindowExists());
    EXPECT_TRUE(app.WorkersStopped());
}

TEST_F(AppWindow, EscapeNeverClosesTheMainWindowButShutdownDoes) {
    CMainDlg dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());

    // WM_APP_SHUTDOWN posted by a worker runs the Cancel action on the GUI thread.
    std::thread([] { PostToTarget(PostTarget::MainWindow, WM_APP_SHUTDOWN); }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
}

TEST_F(AppWindow, AWindowGoingWhileAWorkerPostsToItIsNeverReachedAfterwards) {
    for (int round = 0; round < 10; ++round) {
        auto dialog = std::make_unique<CMainDlg>();
        std::atomic<int> posted{0};
        std::thread worker([&] {
            while (posted < 100'000 && (posted < 50 || MainWindowExists())) {
                PostToTarget(PostTarget::MainWindow, WM_APP_CARRIER_FOUND,
                             std::string("5551234567"), CarrierSprint);
                ++posted;
            }
        });
        while (posted < 50) std::this_thread::yield();
        QCoreApplication::processEvents();  // some are handled, more are on their way
        dialog.reset();
        worker.join();
        QCoreApplication::processEvents();  // nothing left for the window that went
        EXPECT_FALSE(MainWindowExists());
    }
}

TEST_F(AppWindow, TheWindowStopsTakingMessagesBeforeItSaves) {
    // The save fails, and its message box runs an event loop as a real one does.
    std::filesystem::create_directory(programDir / "Quillo.bin");
    AppSettings().AddressBook = {{"Late", "", "5551234567", CarrierAutoDetect}};
    bool openDuringSave = true;
    ui->SetMessageBoxHook([&] {
        QCoreApplication::processEvents();
        openDuringSave = MainWindowExists();
    });
    {
        CMainDlg dialog;
        std::thread([] {
            PostToTarget(PostTarget::MainWindow, WM_APP_CARRIER_FOUND, std::string("5551234567"),
                         CarrierSprint);
        }).join();
    }
    EXPECT_EQ(ui->MessageTexts(), std::vector<std::string>{"Error Saving Quillo Information!"});
    EXPECT_FALSE(openDuringSave);
    EXPECT_EQ(AppSettings().AddressBook[0].Carrier, CarrierAutoDetect);  // the late news dropped
}

TEST_F(AppWindow, AnExceptionEscapingASlotIsReportedAndTheEventLoopGoesOn) {
    bool after = false;
    testing::internal::CaptureStderr();
    QTimer::singleShot(0, [] { throw std::runtime_error("slot failed"); });
    QTimer::singleShot(0, [&] { after = true; });
    const bool wentOn = QTest::qWaitFor([&] { return after; }, 5000);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(wentOn);
    EXPECT_NE(errors.find("failed: slot failed"), std::string::npos) << errors;
}
