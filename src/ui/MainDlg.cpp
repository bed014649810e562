#include "ui/MainDlg.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTreeView>
#include <algorithm>

#include "app/QueueThread.h"
#include "app/SendCommand.h"
#include "base/Text.h"
#include "base/Unsendable.h"
#include "contacts/AddressBookLookup.h"
#include "contacts/PhoneNumbers.h"
#include "runtime/PostToTarget.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"
#include "ui/AboutDlg.h"
#include "ui/AddressBookPanel.h"
#include "ui/AppIcon.h"
#include "ui/AutoCompleteField.h"
#include "ui/DialogUnits.h"
#include "ui/DonateDlg.h"
#include "ui/GuiText.h"
#include "ui/NewVersionDlg.h"
#include "ui/OptionsDlg.h"
#include "ui/PartPreviewLabel.h"
#include "ui/PopupComboBox.h"
#include "ui/WindowSeat.h"

namespace {

// The dialog template's size in dialog units.
constexpr int kDialogWidthDlu = 331;
constexpr int kDialogHeightDlu = 199;

const QString kGoCaption = QStringLiteral("Go !");
const QString kSendingCaption = QStringLiteral("Sending...");

QString ControlId(int id) {
    return QString::number(id);
}

template <class W>
W* Place(W* widget, int id, QRect rect) {
    if (id != 0)
        widget->setObjectName(ControlId(id));
    widget->setGeometry(rect);
    return widget;
}

QLabel* Static(QWidget* parent, const QString& text, QRect rect, Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(align | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

QPushButton* Button(QWidget* parent, const QString& caption, int id, QRect rect, bool flat) {
    auto* button = Place(new QPushButton(caption, parent), id, rect);
    button->setFlat(flat);
    return button;
}

bool IsEnterKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The message field's text as the gateways expect it: line breaks as CR LF.
std::string MessageText(const QPlainTextEdit* field) {
    std::string text = FromQt(field->toPlainText());
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

int CMainDlg::FullClientWidth() {
    return DluToPixelsX(kDialogWidthDlu);
}

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("102"));
    // A fixed-size top-level window with a system menu and a minimise box, in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Quillo"));
    setFont(DialogFont());
    m_endpoint = MakeWindowEndpoint(this, [this](Message& m) { return OnAppMessage(m); });
    CreateControls();
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

QComboBox* CMainDlg::ToField() const {
    return m_to;
}
QComboBox* CMainDlg::FromList() const {
    return m_from;
}

void CMainDlg::CreateControls() {
    setFixedSize(FullClientWidth(), DluToPixelsY(kDialogHeightDlu));

    // Controls in the template's order, which is also the tab order.
    auto* toLabel =
        Static(this, QStringLiteral("&To :"), DialogRect(8, 10, 19, 12), Qt::AlignRight);
    m_to = Place(new CPopupComboBox(this), 1002, DialogRect(32, 8, 135, 12));
    m_toCompletion = new CAutoCompleteField(m_to);
    auto* fromLabel =
        Static(this, QStringLiteral("F&rom :"), DialogRect(6, 27, 21, 12), Qt::AlignRight);
    m_from = Place(new CPopupComboBox(this), 1007, DialogRect(32, 25, 135, 12));
    m_message = Place(new QPlainTextEdit(this), 1004, DialogRect(6, 43, 160, 121));
    m_addressBookButton =
        Button(this, QStringLiteral("&Address Book"), 1005, DialogRect(6, 168, 51, 18), false);
    auto* options =
        Button(this, QStringLiteral("&Options"), 1001, DialogRect(59, 168, 34, 18), false);
    auto* about =
        Button(this, QStringLiteral("A&bout "), 1008, DialogRect(95, 168, 28, 18), false);
    m_send = Button(this, kGoCaption, 1, DialogRect(125, 168, 41, 18), false);
    auto* caption = Static(this, QStringLiteral("Quillo by Quillo Software"),
                           DialogRect(41, 187, 95, 9), Qt::AlignHCenter);
    caption->setEnabled(false);
    // In the room right of the caption, clear of the panel whether it is open or not.
    m_preview = new CPartPreviewLabel(this);
    m_preview->setGeometry(DialogRect(131, 187, 36, 9));
    m_panelFrame = Place(new QGroupBox(QStringLiteral("Address Book"), this), 1010,
                         DialogRect(177, 5, 148, 188));
    m_panelFrame->lower();
    m_list = Place(new QTreeView(this), 1011, DialogRect(183, 15, 136, 160));
    m_new = Button(this, QStringLiteral("&New"), 1015, DialogRect(183, 177, 28, 12), true);
    m_edit = Button(this, QStringLiteral("&Edit"), 1018, DialogRect(212, 177, 25, 12), true);
    m_delete = Button(this, QStringLiteral("&Delete"), 1016, DialogRect(238, 177, 26, 12), true);
    m_sendTo = Button(this, QStringLiteral("&Send To"), 1017, DialogRect(281, 177, 38, 12), true);

    // Alt and the underlined letter reach every control; the texts stay the program's own.
    toLabel->setBuddy(m_to);
    fromLabel->setBuddy(m_from);
    m_to->setAccessibleName(QStringLiteral("To"));
    m_from->setAccessibleName(QStringLiteral("From"));
    m_message->setAccessibleName(QStringLiteral("Message"));
    m_list->setAccessibleName(QStringLiteral("Address Book"));
    for (QComboBox* combo : {static_cast<QComboBox*>(m_to), static_cast<QComboBox*>(m_from)}) {
        // Items keep the order they are inserted in (most recent first).
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(11);
    }
    m_message->setTabChangesFocus(true);
    m_message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_send->setDefault(true);

    m_panel = new CAddressBookPanel(
        this, {m_list, m_new, m_edit, m_delete, m_sendTo, m_to, m_toCompletion});

    // Enter is the send command's to interpret (the option "Send Message When <Enter> is
    // Pressed"); Escape never closes this window.
    for (QWidget* w : std::initializer_list<QWidget*>{m_to, m_to->lineEdit(), m_from,
                                                      m_from->lineEdit(), m_message, m_send}) {
        w->installEventFilter(this);
    }

    connect(m_send, &QPushButton::clicked, this, &CMainDlg::OnSend);
    connect(m_addressBookButton, &QPushButton::clicked, this, [this] {
        if (AppSettings().PanelClosed == 1) {
            OpenPanel();
        } else {
            ClosePanel();
        }
    });
    connect(options, &QPushButton::clicked, this, &CMainDlg::OnOpenOptions);
    connect(about, &QPushButton::clicked, this, &CMainDlg::ShowAboutDialog);
    m_from->beforePopup = [this] { FillRecentFrom(); };
    connect(m_from, QOverload<int>::of(&QComboBox::activated), this,
            &CMainDlg::OnFromSelectionChange);
    connect(m_message, &QPlainTextEdit::textChanged, this, &CMainDlg::LimitMessageLength);
    // After the limit, so the preview counts what stays.
    connect(m_message, &QPlainTextEdit::textChanged, this, &CMainDlg::UpdatePartPreview);
    connect(m_to, &QComboBox::editTextChanged, this, &CMainDlg::UpdatePartPreview);
    connect(m_from, &QComboBox::editTextChanged, this, &CMainDlg::UpdatePartPreview);
    connect(m_panel, &CAddressBookPanel::Refreshed, this, &CMainDlg::OnAddressBookChanged);
    m_message->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_message, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const std::unique_ptr<QMenu> menu(CreateMessageMenu(at));
        menu->exec(m_message->viewport()->mapToGlobal(at));
    });
}

void CMainDlg::OnInitDialog() {
    CAppSettings& s = AppSettings();
    RegisterMainWindow(m_endpoint);
    setWindowIcon(AppIcon());

    // The stored position, applied before the window first shows.
    move(s.WindowX, s.WindowY);
    ApplyPanelStartup();
    // Attached after this window's own key filter, so the field sees Enter first and keeps it
    // while its list shows.
    m_toCompletion->Attach(m_to);
    FillRecentTo();
    FillRecentFrom();
    RefreshAddressBook();
    SelectInitialSender();

    QFont messageFont(QStringLiteral("Times New Roman"));
    messageFont.setStyleHint(QFont::Serif);
    messageFont.setPointSize(12);
    messageFont.setWeight(QFont::DemiBold);
    m_message->setFont(messageFont);

    PostToTarget(PostTarget::CoreThread, WM_APP_SITE_INFO);
    m_to->setFocus();
}

void CMainDlg::ApplyPanelStartup() {
    const CAppSettings& s = AppSettings();
    switch (s.AddressBookStartup) {
        case CAppSettings::StartupLastSetting:
            if (s.AddressBookLastSetting == 1) {
                ClosePanel();
            } else {
                OpenPanel();
            }
            break;
        case CAppSettings::StartupClosed:
            ClosePanel();
            break;
        case CAppSettings::StartupOpen:
            OpenPanel();
            break;
        default:
            break;  // a value from a damaged file: leave the panel as it is
    }
}

void CMainDlg::SelectInitialSender() {
    const CAppSettings& s = AppSettings();
    if (s.MyInfoSelectedInRecentFromList == 1) {
        SelectMyInfoEntry();
    } else if (!s.RecentFrom.empty()) {
        m_from->setCurrentIndex(0);
    }
}

void CMainDlg::FillRecentTo() {
    m_to->clear();
    for (const std::string& text : AppSettings().RecentTo) m_to->addItem(ToQt(text));
    if (m_to->count() > 0)
        m_to->setCurrentIndex(0);
}

void CMainDlg::FillRecentFrom() {
    const QString editText = m_from->currentText();
    m_from->clear();
    for (const std::string& text : AppSettings().RecentFrom) m_from->addItem(ToQt(text));
    m_from->addItem(ToQt(MyInfoText(AppSettings())));
    m_from->setCurrentIndex(-1);
    m_from->setEditText(editText);
}

void CMainDlg::SetPanelControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_new, m_edit, m_delete, m_sendTo}) {
        w->setEnabled(enabled);
    }
}

void CMainDlg::ClosePanel() {
    CAppSettings& s = AppSettings();
    if (s.PanelClosed == 0) {
        setFixedWidth(width() - kPanelWidth);
        s.PanelClosed = 1;
    }
    SetPanelControlsEnabled(false);
}

void CMainDlg::OpenPanel() {
    CAppSettings& s = AppSettings();
    if (s.PanelClosed == 1) {
        RefreshAddressBook();
        setFixedWidth(width() + kPanelWidth);
        s.PanelClosed = 0;
    }
    SetPanelControlsEnabled(true);
}

void CMainDlg::RefreshAddressBook() {
    m_panel->Refresh();
}

bool CMainDlg::MyInfoEntrySelected() const {
    return m_from->count() > 0 && m_from->currentIndex() == m_from->count() - 1;
}

void CMainDlg::SelectMyInfoEntry() {
    if (m_from->count() > 0)
        m_from->setCurrentIndex(m_from->count() - 1);
}

void CMainDlg::OnFromSelectionChange(int index) {
    if (index != m_from->count() - 1 || m_from->itemText(index) != ToQt(kMyInfoPrompt))
        return;
    if (ShowMessageBox("Would you like to set up MyInfo?", MbButtons::YesNo, MbIcon::Question) ==
        MbResult::Yes) {
        OnOpenOptions();
    } else {
        m_from->setCurrentIndex(-1);
        m_from->clearEditText();
    }
}

void CMainDlg::OnFromFocusLost() {
    const std::string typed = UpperCase(FromQt(m_from->currentText()));
    const bool detailsSet = MyInfoText(AppSettings()) != kMyInfoPrompt;
    if (typed == "MYINFO" && detailsSet) {
        SelectMyInfoEntry();
    } else if (typed == "MYINFO...") {
        SelectMyInfoEntry();
        OnOpenOptions();
    }
}

void CMainDlg::OnOpenOptions() {
    const bool ok = RunOptionsDialog();
    const bool detailsSet = MyInfoText(AppSettings()) != kMyInfoPrompt;
    if (!MyInfoEntrySelected())
        return;
    if (ok && detailsSet) {
        FillRecentFrom();
        SelectMyInfoEntry();
    } else if (!detailsSet) {
        m_from->setCurrentIndex(-1);
        m_from->clearEditText();
    }
}

void CMainDlg::OnSend() {
    const std::string to = FromQt(m_to->currentText());
    const std::string from = FromQt(m_from->currentText());
    const std::string message = MessageText(m_message);

    if (std::string problem = ValidateSendTexts(to, from, message); !problem.empty()) {
        ShowMessageBox(problem);
        return;
    }
    CAppSettings& s = AppSettings();
    UpdateRecentLists(s, to, from);
    FillRecentTo();

    ResolvedRecipients resolved = ResolveRecipients(s.AddressBook, to);
    if (!resolved.error.empty()) {
        ShowMessageBox(resolved.error);
        return;
    }
    if (resolved.numbers.empty()) {
        // Only blanks and commas: say so rather than doing nothing.
        ShowMessageBox(ValidateSendTexts({}, from, message));
        return;
    }

    m_send->setEnabled(false);
    m_send->setText(kSendingCaption);
    QueueBatch(BuildSendJobs(resolved.numbers, from, message, s));
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
}

void CMainDlg::OnCarrierFound(const std::string& number, std::int32_t carrier) {
    SetCarrierForNumber(AppSettings().AddressBook, number, carrier);
    OnAddressBookChanged();
}

void CMainDlg::OnAddressBookChanged() {
    m_preview->ForgetAddressBook();
    UpdatePartPreview();
}

void CMainDlg::UpdatePartPreview() {
    m_preview->Show(FromQt(m_to->currentText()), FromQt(m_from->currentText()),
                    MessageText(m_message),
                    m_to->currentText() + m_from->currentText() + m_message->toPlainText());
}

QMenu* CMainDlg::CreateMessageMenu(const QPoint& position) {
    QMenu* menu = m_message->createStandardContextMenu(position);
    menu->addSeparator();
    QAction* replace = menu->addAction(QStringLiteral("Replace unsendable characters"));
    const std::string typed = m_message->toPlainText().toStdString();
    replace->setEnabled(!m_message->isReadOnly() && ReplaceUnsendable(typed) != typed);
    connect(replace, &QAction::triggered, this, &CMainDlg::ReplaceUnsendableCharacters);
    return menu;
}

void CMainDlg::ReplaceUnsendableCharacters() {
    const QString typed = m_message->toPlainText();
    const QString replaced = QString::fromStdString(ReplaceUnsendable(typed.toStdString()));
    if (replaced == typed)
        return;
    const int position = m_message->textCursor().position();
    QTextCursor all(m_message->document());
    all.select(QTextCursor::Document);
    all.insertText(replaced);
    QTextCursor caret = m_message->textCursor();
    caret.setPosition(std::min<int>(position, static_cast<int>(replaced.size())));
    m_message->setTextCursor(caret);
}

void CMainDlg::OnContactAdded(CContact contact) {
    contact.Number = NormalizeDigits(contact.Number);
    AppSettings().AddressBook.push_back(std::move(contact));
    RefreshAddressBook();
    SaveSettings();
}

void CMainDlg::OnContactChanged(CContact contact, std::intptr_t index) {
    AddressBook& book = AppSettings().AddressBook;
    if (index < 0 || static_cast<std::size_t>(index) >= book.size())
        return;
    contact.Number = NormalizeDigits(contact.Number);
    book[static_cast<std::size_t>(index)] = std::move(contact);
    RefreshAddressBook();
    SaveSettings();
}

std::intptr_t CMainDlg::OnAppMessage(Message& message) {
    switch (message.id) {
        case WM_APP_SEND_REPORT:
            if (auto* failures = message.Get<SendFailureList>())
                OnSendResults(*failures);
            break;
        case WM_APP_CONTACT_ADDED:
            if (auto* contact = message.Get<CContact>())
                OnContactAdded(std::move(*contact));
            break;
        case WM_APP_CONTACT_CHANGED:
            if (auto* contact = message.Get<CContact>()) {
                OnContactChanged(std::move(*contact), message.lParam);
            }
            break;
        case WM_APP_CARRIER_FOUND:
            if (auto* number = message.Get<std::string>()) {
                OnCarrierFound(*number, static_cast<std::int32_t>(message.lParam));
            }
            break;
        case WM_APP_OPEN_OPTIONS:
            OnOpenOptions();
            break;
        case WM_APP_FIFTIETH_MESSAGE:
            ShowDonationDialog();
            break;
        case WM_APP_NEW_VERSION:
            ShowNewVersionDialog();
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
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+Enter still breaks a line in the message field.
        const bool lineBreak = watched == m_message && (key->modifiers() & Qt::ControlModifier);
        if (IsEnterKey(key) && !lineBreak) {
            OnEnterKey();
            return true;
        }
        if (IsEnterKey(key) && lineBreak) {
            m_message->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    } else if (event->type() == QEvent::FocusOut &&
               (watched == m_from || watched == m_from->lineEdit())) {
        auto* focus = static_cast<QFocusEvent*>(event);
        QWidget* next = QApplication::focusWidget();
        const bool staysInside = next == m_from || next == m_from->lineEdit();
        // Another window taking the focus (a message box, the options) is not leaving the
        // field: the focus comes back to it.
        const Qt::FocusReason reason = focus->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !staysInside)
            OnFromFocusLost();
    }
    return QDialog::eventFilter(watched, event);
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // Escape never closes the main window; the position is noted as on any Cancel.
        StoreWindowPosition();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        ShowAboutDialog();
        return;
    }
    if (IsEnterKey(event)) {
        OnEnterKey();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::LimitMessageLength() {
    const QString text = m_message->toPlainText();
    if (text.size() <= kMessageLimit)
        return;
    QTextCursor cursor = m_message->textCursor();
    const int position = std::min<int>(cursor.position(), kMessageLimit);
    const QSignalBlocker block(m_message);
    m_message->setPlainText(text.left(kMessageLimit));
    cursor = m_message->textCursor();
    cursor.setPosition(position);
    m_message->setTextCursor(cursor);
    QApplication::beep();
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

bool CMainDlg::RunOptionsDialog() {
    COptionsDlg options(this);
    return options.exec() == QDialog::Accepted;
}

// The window manager's window menu is not ours to extend on X11, so the About dialog is reached
// from the "About " button and F1 only.
void CMainDlg::ShowAboutDialog() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::ShowDonationDialog() {
    CDonateDlg donate(this);
    donate.exec();
}

void CMainDlg::ShowNewVersionDialog() {
    CNewVersionDlg offer(this);
    offer.exec();
}
