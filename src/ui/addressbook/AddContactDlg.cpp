#include "ui/addressbook/AddContactDlg.h"

#include <QComboBox>
#include <QLineEdit>

#include "ui/addressbook/AddressBookIds.h"

CAddContactDlg::CAddContactDlg(QWidget* parent)
    : CContactFieldsDlg(parent, QStringLiteral("Add Number to Address Book"),
                        ContactIds::kAddDialog) {
    CarrierList()->setCurrentIndex(CarrierAutoDetect);
    NameField()->setFocus();
}

void CAddContactDlg::Deliver(CContact entry) {
    emit contactAdded(std::move(entry));
}
