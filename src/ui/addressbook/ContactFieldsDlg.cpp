#include "ui/addressbook/ContactFieldsDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include "contacts/ContactEntry.h"
#include "runtime/UiServices.h"
#include "ui/addressbook/AddressBookIds.h"
#include "ui/dialogs/NumberField.h"
#include "ui/platform/GuiText.h"

CContactFieldsDlg::CContactFieldsDlg(QWidget* parent, const QString& title, ControlName dialog)
    : CModalDialog(parent, dialog, title, QSize(164, 89)) {
    // The template's controls in its order, which is also the tab order.
    AddText(QStringLiteral("Name :"), QRect(15, 11, 26, 9));
    m_name = Place(new QLineEdit(this), ContactIds::kName, QRect(43, 10, 113, 13));
    AddText(QStringLiteral("Number :"), QRect(9, 30, 33, 8));
    m_number = Place(new QLineEdit(this), ContactIds::kNumber, QRect(43, 28, 113, 13));
    AddText(QStringLiteral("Carrier :"), QRect(14, 48, 27, 10));
    m_carrier = Place(new QComboBox(this), ContactIds::kCarrier, QRect(44, 46, 113, 13));
    AddOkButton(QRect(52, 67, 50, 14));
    auto* cancel = AddButton(QStringLiteral("Cancel"), kCancelButton, QRect(107, 67, 50, 14));
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_number->setAccessibleName(QStringLiteral("Number"));
    m_carrier->setAccessibleName(QStringLiteral("Carrier"));

    for (const std::string& name : CarrierNames()) m_carrier->addItem(ToQt(name));
    m_carrier->setMaxVisibleItems(kCarrierCount);
    AttachNumberFormatting(m_number);

    connect(cancel, &QPushButton::clicked, this, &CContactFieldsDlg::reject);
}

void CContactFieldsDlg::accept() {
    const std::string name = FromQt(m_name->text());
    const std::string number = FromQt(m_number->text());
    const ContactEntryCheck check = CheckContactEntry(name, number);
    if (check.field != ContactField::None) {
        ShowMessageBox(check.message);
        (check.field == ContactField::Name ? m_name : m_number)->setFocus();
        return;
    }
    Deliver(MakeContactEntry(name, number, m_carrier->currentIndex()));
    QDialog::accept();
}

bool CContactFieldsDlg::event(QEvent* event) {
    if (event->type() == QEvent::WhatsThis || event->type() == QEvent::QueryWhatsThis)
        return true;
    return QDialog::event(event);
}
