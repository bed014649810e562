#pragma once
// CMainDlg: the program's main window.

#include <QDialog>
#include <cstdint>
#include <memory>

#include "app/Message.h"

class CWindowEndpoint;

class CMainDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Handles an application message on the GUI thread; window handlers return 1.
    std::intptr_t OnAppMessage(Message& message);

public slots:
    void reject() override;  // Cancel: the close box, Alt+F4 and WM_APP_SHUTDOWN

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();

    std::shared_ptr<CWindowEndpoint> m_endpoint;
};
