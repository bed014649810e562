#pragma once
// A fixture for tests of the main window: clean process state, the settings folder in a
// temporary place, and the window opened as the user sees it.

#include <QString>
#include <QTest>
#include <memory>

#include "support/CoreTestEnvironment.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/main/MainDlg.h"

class MainWindowTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        AppSettings().ApplyDefaults();
        AppSettings().ExeDirectory = dir.path() / "";
    }

    // The window saves as it closes: into the temporary folder, before the settings are cleared.
    void TearDown() override {
        CloseWindow();
        CoreTest::TearDown();
    }

    // Closes the window (saving the settings into the temporary folder) before the state goes.
    void CloseWindow() { dialog.reset(); }

    CMainDlg& Open() {
        dialog = std::make_unique<CMainDlg>();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }

    TempDir dir;
    std::unique_ptr<CMainDlg> dialog;
};
