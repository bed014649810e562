#pragma once
// CMainDlg: the program's main window. To, From and message fields on the left, the
// address-book panel on the right, which collapses to leave the window narrower. The window
// builds its controls, runs the send command and takes the workers' messages; the To and From
// fields, the message field and the panel are classes of their own.

#include <QDialog>
#include <cstdint>
#include <memory>

#include "delivery/SendFailure.h"
#include "runtime/Message.h"
#include "storage/RouteSettings.h"
#include "ui/main/PopupComboBox.h"
#include "ui/main/RecipientField.h"

class CAddressBookPanel;
class CHistoryAccess;
class CMessageEditor;
class CPartPreviewLabel;
class CSenderField;
class CWindowEndpoint;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

class CMainDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Handles a worker's message on the GUI thread; window handlers return 1.
    std::intptr_t OnAppMessage(Message& message);

    // The send command: button "Go !", or Enter when the option is on.
    void OnSend();

    // The controls and the parts, for tests.
    QComboBox* ToField() const { return m_to; }
    QComboBox* FromList() const { return m_from; }
    QPlainTextEdit* MessageField() const { return m_message; }
    QPushButton* SendButton() const { return m_send; }
    QTreeView* AddressList() const { return m_list; }
    CAddressBookPanel* Panel() const { return m_panel; }
    CAutoCompleteField* ToCompletion() const { return m_recipients->Completion(); }
    CPartPreviewLabel* PartPreview() const { return m_preview; }
    CMessageEditor* Editor() const { return m_editor; }
    const RouteSettings& Route() const { return m_route; }

    // The client width with the panel open.
    static int FullClientWidth();

public slots:
    void reject() override;  // Cancel: the close box, Alt+F4 and WM_APP_SHUTDOWN

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateFields();
    void CreatePanel();
    void Connect(QPushButton* options, QPushButton* about);
    void OnInitDialog();

    void OnEnterKey();
    void OnSendResults(const SendFailureList& failures);
    void OnCarrierFound(const std::string& number, std::int32_t carrier);
    void OnSendAgain(const QString& to, const QString& message);
    void OnRouteChanged(const RouteSettings& route);
    void ReadRouteSecret();
    void StoreWindowPosition();

    CPopupComboBox* m_to = nullptr;
    CPopupComboBox* m_from = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_addressBookButton = nullptr;
    QTreeView* m_list = nullptr;
    CPartPreviewLabel* m_preview = nullptr;
    CRecipientField* m_recipients = nullptr;
    CSenderField* m_sender = nullptr;
    CMessageEditor* m_editor = nullptr;
    CAddressBookPanel* m_panel = nullptr;
    CHistoryAccess* m_history = nullptr;
    RouteSettings m_route;  // how batches leave: read at start, then the Delivery dialog's
    std::shared_ptr<CWindowEndpoint> m_endpoint;
};
