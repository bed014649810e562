#include "ui/MainDlg.h"

#include <QKeyEvent>

#include "app/AppSettings.h"
#include "app/PostToTarget.h"
#include "storage/Settings.h"
#include "ui/WindowSeat.h"

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quillo"));
    setObjectName(QStringLiteral("102"));
    m_endpoint = MakeWindowEndpoint(this, [this](Message& m) { return OnAppMessage(m); });
    OnInitDialog();
}

CMainDlg::~CMainDlg() {
    SaveSettings();
    m_endpoint->Close();
    if (MainWindowEndpoint() == m_endpoint) RegisterMainWindow(nullptr);
}

void CMainDlg::OnInitDialog() {
    RegisterMainWindow(m_endpoint);
    PostToTarget(PostTarget::CoreThread, WM_APP_SITE_INFO);
}

std::intptr_t CMainDlg::OnAppMessage(Message& message) {
    switch (message.id) {
        case WM_APP_SHUTDOWN: reject(); break;
        default: break;  // no handler: the message and its payload are dropped
    }
    return 1;
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the main window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::reject() {
    const QPoint topLeft = frameGeometry().topLeft();
    if (topLeft.x() >= 0 && topLeft.y() >= 0) {
        AppSettings().WindowX = topLeft.x();
        AppSettings().WindowY = topLeft.y();
    }
    QDialog::reject();
}
