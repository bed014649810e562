#include "ui/main/MainDlg.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/DeliveryChoices.h"
#include "app/QueueThread.h"
#include "app/SendCommand.h"
#include "base/Paths.h"
#include "contacts/AddressBookLookup.h"
#include "runtime/PostToTarget.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"
#include "ui/addressbook/PanelControls.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/DonateDlg.h"
#include "ui/dialogs/NewVersionDlg.h"
#include "ui/main/HistoryAccess.h"
#include "ui/main/MainControls.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MessageEditor.h"
#include "ui/main/PartPreviewLabel.h"
#include "ui/main/SenderField.h"
#include "ui/platform/AppIcon.h"
#include "ui/platform/ControlName.h"
#include "ui/platform/DialogUnits.h"
#include "ui/platform/GuiText.h"
#include "ui/platform/SecretKeyring.h"
#include "ui/platform/WindowSeat.h"

namespace {

// The dialog template's size in dialog units.
constexpr int kDialogWidthDlu = 331;
constexpr int kDialogHeightDlu = 199;

const QString kSendingCaption = QStringLiteral("Sending...");

bool IsEnterKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The windows of their own, each modal over this one.
template <class D>
void RunModal(QWidget* owner) {
    D dialog(owner);
    dialog.exec();
}

}  // namespace

int CMainDlg::FullClientWidth() {
    return DluToPixelsX(kDialogWidthDlu);
}

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent) {
    NameControl(this, MainWindowIds::kWindow);
    // A fixed-size top-level window with a system menu and a minimise box, in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Quillo"));
    setFont(DialogFont());
    m_endpoint = MakeWindowEndpoint(this, [this](Message& m) { return OnAppMessage(m); });
    setFixedSize(FullClientWidth(), DluToPixelsY(kDialogHeightDlu));
    CreateFields();
    CreatePanel();
    OnInitDialog();
}

CMainDlg::~CMainDlg() {
    // Closed before saving: the save may show a message box, whose event loop must not hand
    // worker messages to a window being taken apart.
    m_endpoint->Close();
    if (MainWindowEndpoint() == m_endpoint)
        RegisterMainWindow(nullptr);
    SaveSettings();
}

void CMainDlg::CreateFields() {
    const MainControls c = PlaceMainControls(this);
    m_to = c.to;
    m_recipients = new CRecipientField(m_to);
    m_from = c.from;
    m_message = c.message;
    m_addressBookButton = c.addressBook;
    m_send = c.send;
    m_preview = c.preview;
    m_sender = new CSenderField(m_from, this);
    m_editor = new CMessageEditor({m_message, m_preview, m_to, m_from}, this);
    Connect(c.options, c.about);
}

void CMainDlg::CreatePanel() {
    const AddressBookControls controls =
        PlacePanelControls(this, m_to, m_recipients->Completion(), m_addressBookButton);
    m_list = controls.list;
    m_panel = new CAddressBookPanel(this, controls);
    connect(m_panel, &CAddressBookPanel::Refreshed, m_editor, &CMessageEditor::ForgetAddressBook);
}

void CMainDlg::Connect(QPushButton* options, QPushButton* about) {
    // Enter is the send command's to interpret (the option "Send Message When <Enter> is
    // Pressed"); Escape never closes this window. The From field's leaving is heard here too.
    for (QWidget* w : std::initializer_list<QWidget*>{m_to, m_to->lineEdit(), m_from,
                                                      m_from->lineEdit(), m_send}) {
        w->installEventFilter(this);
    }
    connect(m_editor, &CMessageEditor::enterPressed, this, &CMainDlg::OnEnterKey);
    connect(m_send, &QPushButton::clicked, this, &CMainDlg::OnSend);
    connect(options, &QPushButton::clicked, m_sender, &CSenderField::OpenOptions);
    connect(about, &QPushButton::clicked, this, [this] { RunModal<CAboutDlg>(this); });
    connect(m_sender, &CSenderField::routeChanged, this, &CMainDlg::OnRouteChanged);
    m_history = new CHistoryAccess(this);
    connect(m_editor, &CMessageEditor::historyRequested, m_history, &CHistoryAccess::Open);
    connect(m_history, &CHistoryAccess::sendAgain, this, &CMainDlg::OnSendAgain);
}

void CMainDlg::OnInitDialog() {
    CAppSettings& s = AppSettings();
    RegisterMainWindow(m_endpoint);
    setWindowIcon(AppIcon());

    // The stored position, applied before the window first shows.
    move(s.WindowX, s.WindowY);
    m_panel->ApplyStartup();
    // The route file is the Delivery settings' own, beside the settings file.
    m_route = LoadRouteSettings(RouteSettingsPath(DataDirectory(s.ExeDirectory)));
    m_editor->SetRoute(m_route.route);
    ReadRouteSecret();
    m_recipients->AttachCompletion();  // after this window's own key filter
    m_recipients->Fill();
    m_sender->Fill();
    m_panel->Refresh();
    m_sender->SelectInitial();

    PostToTarget(PostTarget::CoreThread, WM_APP_SITE_INFO);
    m_to->setFocus();
}

void CMainDlg::ReadRouteSecret() {
    if (m_route.route != RouteWebService)
        return;
    // The keyring may take its time (or ask the user to unlock it): the window does not wait.
    auto* keyring = new CSecretKeyring(this);
    const QString key = QString::fromStdString(SecretKey(m_route));
    connect(
        keyring, &CSecretKeyring::readDone, this,
        [this, keyring, key](const QString& read, const QString& secret, bool) {
            if (read == key && SecretKey(m_route) == key.toStdString() && m_route.webSecret.empty())
                m_route.webSecret = secret.toStdString();
            keyring->deleteLater();
        });
    keyring->Read(key);
}

void CMainDlg::OnRouteChanged(const RouteSettings& route) {
    m_route = route;
    m_editor->SetRoute(m_route.route);
}

void CMainDlg::OnSendAgain(const QString& to, const QString& message) {
    m_to->setEditText(to);
    m_message->setPlainText(message);
    raise();
    activateWindow();
    m_send->setFocus();
}

void CMainDlg::OnSend() {
    PreparedBatch batch =
        PrepareSendBatch(AppSettings(), FromQt(m_to->currentText()), FromQt(m_from->currentText()),
                         m_editor->Text(), m_route, m_message->toPlainText().toStdString());
    if (batch.recentUpdated)
        m_recipients->Fill();
    if (!batch.problem.empty()) {
        ShowMessageBox(batch.problem);
        return;
    }
    m_send->setEnabled(false);
    m_send->setText(kSendingCaption);
    QueueBatch(std::move(batch.jobs));
}

void CMainDlg::OnSendResults(const SendFailureList& failures) {
    m_send->setEnabled(true);
    m_send->setText(kGoCaption);
    const SendReport report = MakeSendReport(failures, AppSettings().AddressBook);
    ShowMessageBox(report.text, MbButtons::Ok, report.icon);
    if (report.allSent) {
        m_message->clear();
        m_message->setFocus();
    }
    m_history->OnBatchReported();
}

void CMainDlg::OnCarrierFound(const std::string& number, std::int32_t carrier) {
    SetCarrierForNumber(AppSettings().AddressBook, number, carrier);
    m_editor->ForgetAddressBook();
}

std::intptr_t CMainDlg::OnAppMessage(Message& message) {
    switch (message.id) {
        case WM_APP_SEND_REPORT:
            if (auto* failures = message.Expect<SendFailureList>())
                OnSendResults(*failures);
            break;
        case WM_APP_CARRIER_FOUND:
            if (auto* number = message.Expect<std::string>())
                OnCarrierFound(*number, static_cast<std::int32_t>(message.lParam));
            break;
        case WM_APP_FIFTIETH_MESSAGE:
            RunModal<CDonateDlg>(this);
            break;
        case WM_APP_NEW_VERSION:
            RunModal<CNewVersionDlg>(this);
            break;
        case WM_APP_SHUTDOWN:
            reject();
            break;
        default:
            break;  // no handler: the message and its payload are dropped
    }
    return 1;
}

void CMainDlg::OnEnterKey() {
    // While a batch is out the default button is disabled, and Enter does nothing.
    if (!m_send->isEnabled())
        return;
    if (AppSettings().SendOnEnter == 0) {
        m_message->setFocus();
        return;
    }
    OnSend();
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsEnterKey(static_cast<QKeyEvent*>(event))) {
        OnEnterKey();
        return true;
    }
    if (event->type() == QEvent::FocusOut && (watched == m_from || watched == m_from->lineEdit()))
        m_sender->OnFocusOut(*static_cast<QFocusEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // Escape never closes the main window; the position is noted as on any Cancel.
        StoreWindowPosition();
        event->accept();
        return;
    }
    // The window manager's window menu is not ours to extend on X11, so the About dialog is
    // reached from the "About " button and F1 only.
    if (event->key() == Qt::Key_F1) {
        RunModal<CAboutDlg>(this);
        return;
    }
    if (IsEnterKey(event)) {
        OnEnterKey();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::StoreWindowPosition() {
    // A window dragged partly off the top or left edge keeps the position stored before.
    const QPoint topLeft = frameGeometry().topLeft();
    if (topLeft.x() >= 0 && topLeft.y() >= 0) {
        AppSettings().WindowX = topLeft.x();
        AppSettings().WindowY = topLeft.y();
    }
}

void CMainDlg::reject() {
    StoreWindowPosition();
    QDialog::reject();
}
