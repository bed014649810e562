#pragma once
// CMainDlg: the program's main window. To, From and message fields on the left, the
// address-book panel on the right, which collapses to leave the window 236 pixels narrower.

#include <QDialog>
#include <cstdint>
#include <memory>

#include "contacts/Contact.h"
#include "delivery/SendFailure.h"
#include "runtime/Message.h"

class CAddressBookPanel;
class CAutoCompleteField;
class CWindowEndpoint;
class CPartPreviewLabel;
class CPopupComboBox;
class QComboBox;
class QGroupBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

class CMainDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Handles an application message on the GUI thread; window handlers return 1.
    std::intptr_t OnAppMessage(Message& message);

    void FillRecentTo();
    void FillRecentFrom();
    void OpenPanel();
    void ClosePanel();
    void RefreshAddressBook();

    // The send command: button "Go !", or Enter when the option is on.
    void OnSend();

    // The controls, for the panel's operations and for tests.
    QComboBox* ToField() const;
    QComboBox* FromList() const;
    QPlainTextEdit* MessageField() const { return m_message; }
    QPushButton* SendButton() const { return m_send; }
    QTreeView* AddressList() const { return m_list; }
    CAddressBookPanel* Panel() const { return m_panel; }
    CAutoCompleteField* ToCompletion() const { return m_toCompletion; }
    CPartPreviewLabel* PartPreview() const { return m_preview; }

    // The message field's context menu: the usual edit commands and "Replace unsendable
    // characters". The caller shows it and owns it.
    QMenu* CreateMessageMenu(const QPoint& position);
    // Puts look-alikes for the common unsendable characters in the message, as one undo step.
    void ReplaceUnsendableCharacters();

    // The client width with the panel open; the collapsed window is 236 pixels narrower.
    static int FullClientWidth();
    static constexpr int kPanelWidth = 236;
    static constexpr int kMessageLimit = 2500;

public slots:
    void reject() override;  // Cancel: the close box, Alt+F4 and WM_APP_SHUTDOWN

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void ApplyPanelStartup();
    void SelectInitialSender();
    void SetPanelControlsEnabled(bool enabled);

    void OnEnterKey();
    void OnFromSelectionChange(int index);
    void OnFromFocusLost();
    void SelectMyInfoEntry();
    bool MyInfoEntrySelected() const;
    void OnOpenOptions();
    void OnSendResults(const SendFailureList& failures);
    void OnCarrierFound(const std::string& number, std::int32_t carrier);
    void OnContactAdded(CContact contact);
    void OnContactChanged(CContact contact, std::intptr_t index);
    void LimitMessageLength();
    void UpdatePartPreview();
    void OnAddressBookChanged();
    void StoreWindowPosition();

    // Windows of their own; each is reached from this one place.
    bool RunOptionsDialog();
    void ShowAboutDialog();
    void ShowDonationDialog();
    void ShowNewVersionDialog();

    CPopupComboBox* m_to = nullptr;
    CAutoCompleteField* m_toCompletion = nullptr;  // the names offered under m_to
    CPopupComboBox* m_from = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_addressBookButton = nullptr;
    QGroupBox* m_panelFrame = nullptr;
    QTreeView* m_list = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_sendTo = nullptr;
    CAddressBookPanel* m_panel = nullptr;  // the list's and the four buttons' triggers
    CPartPreviewLabel* m_preview = nullptr;
    std::shared_ptr<CWindowEndpoint> m_endpoint;
};
