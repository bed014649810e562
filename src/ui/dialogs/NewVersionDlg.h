#pragma once
// CNewVersionDlg, "New Version Available": offers the upgrade and follows it. "Yes" hands the
// download to the core thread, which reports each step here (WM_APP_UPGRADE_STATUS) and closes
// the dialog (WM_APP_SHUTDOWN) once the installer runs; both are sent and waited for.

#include <cstdint>
#include <memory>

#include "runtime/Message.h"
#include "ui/dialogs/ModalDialog.h"

class CWindowEndpoint;
class QLineEdit;
class QPushButton;

class CNewVersionDlg : public CModalDialog {
    Q_OBJECT

public:
    explicit CNewVersionDlg(QWidget* owner);
    ~CNewVersionDlg() override;

    // Handles a message from the core thread on the GUI thread; returns 1.
    std::intptr_t OnAppMessage(Message& message);

    QLineEdit* StatusField() const { return m_status; }
    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void OnYes();
    void OnStatus(const std::string& text, bool final);

    QLineEdit* m_status = nullptr;
    QPushButton* m_no = nullptr;
    QPushButton* m_yes = nullptr;
    std::shared_ptr<CWindowEndpoint> m_endpoint;
};
