#include "ui/dialogs/OptionsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "contacts/PhoneNumbers.h"
#include "runtime/WindowEndpoint.h"
#include "storage/AppSettings.h"
#include "ui/dialogs/DeliveryDlg.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/NumberField.h"
#include "ui/platform/GuiText.h"

namespace {

const QString kMyInfoNote = QStringLiteral(
    "This information may be seen by the recipients of your messages and will be used for "
    "replies.  It will not be used for any other purpose.");

}  // namespace

COptionsDlg::COptionsDlg(QWidget* owner)
    : CModalDialog(owner, OptionsIds::kDialog, QStringLiteral("Quillo Options"), QSize(236, 173)) {
    CreateControls();
    LoadSettings();
}

void COptionsDlg::CreateControls() {
    // In tab order. A caption's mnemonic moves the focus to the field after it.
    Place(new QGroupBox(QStringLiteral("My Info"), this), {}, QRect(7, 5, 222, 99));
    AddParagraph(kMyInfoNote, QRect(14, 20, 208, 26), Qt::AlignLeft);
    const struct {
        const char* caption;
        const char* name;
        ControlName id;
        int y, width;
        QLineEdit** field;
    } fields[] = {{"&Name :", "Name", OptionsIds::kName, 50, 166, &m_name},
                  {"N&umber :", "Number", OptionsIds::kNumber, 67, 80, &m_number},
                  {"&Email :", "Email", OptionsIds::kEmail, 84, 166, &m_email}};
    for (const auto& f : fields) {
        QLabel* caption =
            AddText(QString::fromLatin1(f.caption), QRect(14, f.y + 2, 36, 9), Qt::AlignRight);
        *f.field = Place(new QLineEdit(this), f.id, QRect(54, f.y, f.width, 14));
        (*f.field)->setAccessibleName(QString::fromLatin1(f.name));
        caption->setBuddy(*f.field);
    }

    QLabel* startupCaption =
        AddText(QStringLiteral("&Start with address book :"), QRect(7, 112, 86, 9));
    m_startup = Place(new QComboBox(this), OptionsIds::kStartup, QRect(96, 110, 72, 14));
    m_startup->addItems(
        {QStringLiteral("Open"), QStringLiteral("Closed"), QStringLiteral("Last Setting")});
    m_startup->setAccessibleName(QStringLiteral("Start with address book"));
    startupCaption->setBuddy(m_startup);
    m_sendOnEnter =
        Place(new QCheckBox(QStringLiteral("Send &Message When <Enter> is Pressed"), this),
              OptionsIds::kSendOnEnter, QRect(7, 129, 160, 10));

    QPushButton* delivery =
        AddButton(QStringLiteral("&Delivery..."), OptionsIds::kDelivery, QRect(7, 152, 50, 14));
    connect(delivery, &QPushButton::clicked, this, &COptionsDlg::OpenDelivery);
    AddOkButton(QRect(123, 152, 50, 14));
    QPushButton* cancel =
        AddButton(QStringLiteral("Cancel"), kCancelButton, QRect(179, 152, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);
    AttachNumberFormatting(m_number);
}

void COptionsDlg::LoadSettings() {
    const CAppSettings& s = AppSettings();
    m_name->setText(ToQt(s.MyName));
    m_number->setText(ToQt(s.MyNumber));  // shown formatted by the field itself
    m_email->setText(ToQt(s.MyEmail));
    // A value from a damaged file selects nothing; OK then stores -1, which start-up ignores.
    const bool known = s.AddressBookStartup >= 0 && s.AddressBookStartup < m_startup->count();
    m_startup->setCurrentIndex(known ? s.AddressBookStartup : -1);
    m_sendOnEnter->setChecked(s.SendOnEnter != 0);

    m_name->setFocus();
}

void COptionsDlg::OpenDelivery() {
    CDeliveryDlg delivery(this);
    connect(&delivery, &CDeliveryDlg::routeChanged, this, &COptionsDlg::routeChanged);
    delivery.exec();
}

void COptionsDlg::setVisible(bool visible) {
    CModalDialog::setVisible(visible);
    // Showing announces the focus as if it had been tabbed to, which selects the whole name:
    // the caret goes after it instead, ready to add to it.
    if (visible)
        m_name->end(false);
}

void COptionsDlg::accept() {
    // Nothing is checked: the details are the user's to choose.
    CAppSettings& s = AppSettings();
    s.MyName = FromQt(m_name->text());
    s.MyNumber = NormalizeDigits(FromQt(m_number->text()));
    s.MyEmail = FromQt(m_email->text());
    s.AddressBookStartup = m_startup->currentIndex();
    s.SendOnEnter = m_sendOnEnter->isChecked() ? 1 : 0;
    emit optionsChanged();
    QDialog::accept();
}
