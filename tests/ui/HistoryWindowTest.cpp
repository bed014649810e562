// The history window over a real history file, driven as a user would: Ctrl+H, typing into the
// search, the failures filter, sending again, copy, delete and clear.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>

#include "app/AppHistory.h"
#include "app/HistoryKeeping.h"
#include "history/HistoryFixture.h"
#include "ui/MainWindowFixture.h"
#include "ui/history/HistoryIds.h"
#include "ui/history/HistoryModel.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MessageEditor.h"

using namespace std::chrono_literals;

namespace {

class HistoryWindow : public MainWindowTest {
protected:
    static constexpr int kFiller = 120;  // more than two pages
    static constexpr std::int64_t kDeliveredAt = 1'700'000'900'000;

    void SetUp() override {
        MainWindowTest::SetUp();
        AppSettings().AddressBook = {{"Ann Lee", "", "5550100009", 9}};
        history = std::make_unique<CAppHistory>(dir.path());
        auto record = history->Recorder();
        std::int64_t at = 1'700'000'000'000;
        for (int i = 0; i < kFiller; ++i)
            record({at++,
                    "Carrier web forms",
                    "filler " + std::to_string(i),
                    "Me",
                    "",
                    "",
                    {Part("5550100019", "")}});
        record({at++,
                "Carrier web forms",
                "See the dentist\r\nat nine",
                "Me",
                "5550001111",
                "",
                {Part("5550100009", "Ann Lee", ResultNoConnection),
                 Part("5550100029", "Bo", 0, "m-1"), Part("5550100039", "", ResultWrongCarrier)}});
        history->DeliveryRecorder()(
            {RouteCarrierForms, "m-1", ReportedDelivery::Delivered, kDeliveredAt});
        record({at++, "Carrier web forms", "Lunch?", "Me", "", "", {Part("5550100029", "Bo")}});
        ASSERT_TRUE(history->WaitUntilWritten(10s));
    }

    void TearDown() override {
        CloseWindow();
        history.reset();
        MainWindowTest::TearDown();
    }

    // Ctrl+H on the main window, as the user opens it.
    QDialog& OpenHistory() {
        CMainDlg& w = Open();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        auto* window = w.findChild<QDialog*>(QString::fromLatin1(HistoryIds::kWindow.name));
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return *window;
    }

    QTableView* Batches(QDialog& h) { return Control<QTableView>(&h, HistoryIds::kBatches); }
    QString Cell(QDialog& h, int row, int column) {
        return Batches(h)->model()->index(row, column).data().toString();
    }
    void SelectRow(QDialog& h, int row) {
        QTableView* view = Batches(h);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 1)).center());
    }
    void Click(QDialog& h, ControlName button) {
        QTest::mouseClick(Control<QPushButton>(&h, button), Qt::LeftButton);
    }

    std::unique_ptr<CAppHistory> history;
};

}  // namespace

TEST_F(HistoryWindow, OpensAtOnceNewestFirstAndFetchesTheRestAsItScrolls) {
    QDialog& h = OpenHistory();
    QTableView* view = Batches(h);
    const int total = kFiller + 2;
    EXPECT_LT(view->model()->rowCount(), total);  // only what the view needed so far
    EXPECT_EQ(Cell(h, 0, 2), "Lunch?");
    EXPECT_EQ(Cell(h, 0, 3), "Sent");
    EXPECT_EQ(Cell(h, 1, 1), "Ann Lee, Bo, (555) 010-0039");
    EXPECT_EQ(Cell(h, 1, 2), "See the dentist");
    EXPECT_EQ(Cell(h, 1, 3), "2 of 3 failed");
    for (int turns = 0; turns < 10 && view->model()->rowCount() < total; ++turns) {
        view->scrollToBottom();
        QApplication::processEvents();
    }
    EXPECT_EQ(view->model()->rowCount(), total);
    EXPECT_EQ(Cell(h, total - 1, 2), "filler 0");

    // Closed, it comes back from the message field's menu too.
    h.close();
    const std::unique_ptr<QMenu> menu(dialog->Editor()->CreateMenu({}));
    QAction* item = menu->actions().at(menu->actions().size() - 2);
    EXPECT_EQ(item->text(), "History of Sent Messages...");
    item->trigger();
    EXPECT_TRUE(h.isVisible());
}

TEST_F(HistoryWindow, SearchAsYouTypeAndTheFailuresFilterNarrowTheList) {
    QDialog& h = OpenHistory();
    auto* search = Control<QLineEdit>(&h, HistoryIds::kSearch);
    const struct {
        const char* typed;
        bool failuresOnly;
        QStringList firstLines;
    } cases[] = {
        {"dent", false, {"See the dentist"}},
        {"bo", false, {"Lunch?", "See the dentist"}},
        {"bo", true, {"See the dentist"}},
        {"(555) 010-003", false, {"See the dentist"}},
        {"nobody", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        search->clear();
        Control<QCheckBox>(&h, HistoryIds::kFailuresOnly)->setChecked(c.failuresOnly);
        search->setFocus();
        QTest::keyClicks(search, QString::fromLatin1(c.typed));
        QStringList shown;
        for (int row = 0; row < Batches(h)->model()->rowCount(); ++row) shown << Cell(h, row, 2);
        EXPECT_EQ(shown, c.firstLines);
    }
}

TEST_F(HistoryWindow, TheDetailsShowDeliveryAndSendAgainTakesTheFailedRecipientsOnly) {
    QDialog& h = OpenHistory();
    SelectRow(h, 0);
    EXPECT_FALSE(Control(&h, HistoryIds::kSendAgain)->isEnabled());  // nothing failed
    SelectRow(h, 1);
    auto* recipients = Control<QTableWidget>(&h, HistoryIds::kRecipients);
    ASSERT_EQ(recipients->rowCount(), 3);
    EXPECT_EQ(recipients->item(0, 1)->text(), "(555) 010-0009");
    EXPECT_EQ(recipients->item(2, 4)->text(),
              QString::fromStdString(StatusText(ResultWrongCarrier)));
    EXPECT_EQ(recipients->item(1, 5)->text(), "Delivered " + HistoryLocalTime(kDeliveredAt));
    EXPECT_EQ(recipients->item(0, 5)->text(), "");  // nothing reported
    Click(h, HistoryIds::kSendAgain);
    // Ann Lee is still in the address book; the other failed one goes by number.
    EXPECT_EQ(dialog->ToField()->currentText(), "Ann Lee, 5550100039");
    EXPECT_EQ(dialog->MessageField()->toPlainText(), "See the dentist\nat nine");
    EXPECT_FALSE(h.isVisible());
}

TEST_F(HistoryWindow, CopyDeleteClearAllAndTheKeepingChoice) {
    QDialog& h = OpenHistory();
    SelectRow(h, 0);
    Batches(h)->setFocus();
    QTest::keyClick(Batches(h), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("\tBo\tLunch?\tSent"))
        << QApplication::clipboard()->text().toStdString();

    QTest::keyClick(Batches(h), Qt::Key_Delete);
    EXPECT_EQ(Cell(h, 0, 2), "See the dentist");

    ui->QueueAnswer(MbResult::No);
    Click(h, HistoryIds::kClearAll);
    EXPECT_EQ(Cell(h, 0, 2), "See the dentist");
    ui->QueueAnswer(MbResult::Yes);
    Click(h, HistoryIds::kClearAll);
    EXPECT_EQ(Batches(h)->model()->rowCount(), 0);

    auto* keep = Control<QComboBox>(&h, HistoryIds::kKeep);
    EXPECT_EQ(keep->currentData().toInt(), kKeepHistoryForever);
    keep->setFocus();
    QTest::keyClick(keep, Qt::Key_End);  // the last choice: keep nothing
    EXPECT_EQ(history->KeepDays(), 0);
    EXPECT_EQ(LoadHistoryKeepDays(HistoryKeepingFilePath(dir.path())), 0);
}
