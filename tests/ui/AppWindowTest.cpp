#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/MessengerApp.h"
#include "base/PostToTarget.h"
#include "support/CoreTestEnvironment.h"
#include "ui/MainDlg.h"

namespace {

class AppWindow : public CoreTest {};

}  // namespace

TEST_F(AppWindow, TheProgramShowsQuilloAndClosingTheWindowEndsTheRun) {
    QString title;
    bool registered = false;
    CMessengerApp app([&] {
        CMainDlg dialog;
        QTimer::singleShot(0, &dialog, [&] {
            title = dialog.windowTitle();
            registered = MainWindowExists();
            dialog.close();  // the close box
        });
        dialog.exec();
    });
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
