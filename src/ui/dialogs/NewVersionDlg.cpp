#include "ui/dialogs/NewVersionDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "runtime/PostToTarget.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/platform/GuiText.h"
#include "ui/platform/WindowSeat.h"

CNewVersionDlg::CNewVersionDlg(QWidget* owner)
    : CModalDialog(owner, NewVersionIds::kDialog, QStringLiteral("New Version Available"),
                   QSize(180, 74)) {
    m_endpoint = MakeWindowEndpoint(this, [this](Message& m) { return OnAppMessage(m); });
    CreateControls();
}

CNewVersionDlg::~CNewVersionDlg() {
    m_endpoint->Close();  // a status still on its way is dropped, and its sender released
}

void CNewVersionDlg::CreateControls() {
    AddText(QStringLiteral("A Quillo upgrade is available!"), QRect(7, 7, 166, 9),
            Qt::AlignHCenter);
    AddText(QStringLiteral("Would you like to upgrade now?"), QRect(7, 18, 166, 9),
            Qt::AlignHCenter);
    m_status = Place(new QLineEdit(this), NewVersionIds::kStatus, QRect(7, 32, 166, 14));
    m_status->setReadOnly(true);
    m_status->setAlignment(Qt::AlignHCenter);
    m_status->setAccessibleName(QStringLiteral("Upgrade status"));
    m_yes = AddButton(QStringLiteral("&Yes"), NewVersionIds::kYes, QRect(36, 53, 50, 14));
    m_no = AddButton(QStringLiteral("&No"), NewVersionIds::kNo, QRect(94, 53, 50, 14));
    m_yes->setDefault(true);
    m_yes->setFocus();
    connect(m_yes, &QPushButton::clicked, this, &CNewVersionDlg::OnYes);
    connect(m_no, &QPushButton::clicked, this, &CNewVersionDlg::reject);
}

void CNewVersionDlg::OnYes() {
    m_yes->setEnabled(false);
    m_no->setEnabled(false);
    // The status field takes the focus, so that a screen reader follows the progress.
    m_status->setFocus();
    repaint();  // shown disabled at once, before the download begins
    PostToTarget(PostTarget::CoreThread, WM_APP_UPGRADE, WindowRef(m_endpoint));
}

void CNewVersionDlg::OnStatus(const std::string& text, bool final) {
    m_status->setText(ToQt(text));
    if (final) {
        m_no->setEnabled(true);
        m_no->setFocus();
    }
}

std::intptr_t CNewVersionDlg::OnAppMessage(Message& message) {
    switch (message.id) {
        case WM_APP_UPGRADE_STATUS:
            if (auto* text = message.Expect<std::string>())
                OnStatus(*text, message.lParam == 1);
            break;
        case WM_APP_SHUTDOWN:
            reject();
            break;
        default:
            break;
    }
    return 1;
}

void CNewVersionDlg::closeEvent(QCloseEvent* event) {
    // The close box or Alt+F4 means stop: with the endpoint closed the core thread sees the
    // upgrade cancelled at once, even while this dialog object still exists.
    m_endpoint->Close();
    CModalDialog::closeEvent(event);
}

void CNewVersionDlg::keyPressEvent(QKeyEvent* event) {
    // While the upgrade runs the way out is closed to the keyboard, as "No" is.
    if (event->key() == Qt::Key_Escape && !m_no->isEnabled()) {
        event->accept();
        return;
    }
    CModalDialog::keyPressEvent(event);
}
