#pragma once
// CHistoryWindow: the sent batches, newest first, with a search that runs as the user types, a
// filter for failures and one batch's recipients below. From here a batch is sent again to its
// failed recipients (the main window gets To and the message; the user presses Go), copied,
// deleted, or the whole history cleared; and how long the history keeps batches is chosen.

#include <QDialog>
#include <memory>

#include "history/HistoryStore.h"

class CAppHistory;
class CHistoryModel;
class CRecipientTable;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

class CHistoryWindow : public QDialog {
    Q_OBJECT

public:
    CHistoryWindow(CAppHistory& history, QWidget* parent);
    ~CHistoryWindow() override;

    // Reads the history again (after a batch was recorded).
    void Refresh();

signals:
    // To as the main window's field takes it, and the message as typed.
    void sendAgain(const QString& to, const QString& message);

protected:
    // Delete and Copy in the list act on the selected batches (the view would copy one cell).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateKeepChoice(QComboBox* keep);
    void Connect();
    void OnFilterChanged();
    void OnSelectionChanged();
    void OnSendAgain();
    void OnCopy();
    void OnDelete();
    void OnClearAll();
    void OnKeepChosen(int index);
    void AfterWrite();
    std::vector<int> SelectedRows() const;

    CAppHistory& m_history;
    std::unique_ptr<CHistoryStore> m_store;  // a reader beside the program's writer
    CHistoryModel* m_model = nullptr;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_failuresOnly = nullptr;
    QTableView* m_batches = nullptr;
    CRecipientTable* m_recipients = nullptr;
    QPushButton* m_sendAgain = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_clearAll = nullptr;
    QComboBox* m_keep = nullptr;
};

// The To text that names these recipients: a name the address book still resolves to the same
// number, otherwise the number.
QString ResendToText(const std::vector<HistoryRecipient>& recipients);
