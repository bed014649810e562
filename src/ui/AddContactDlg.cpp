#include "ui/AddContactDlg.h"

#include <QComboBox>
#include <QLineEdit>

#include "runtime/PostToTarget.h"
#include "runtime/WindowEndpoint.h"

CAddContactDlg::CAddContactDlg(QWidget* parent)
    : CContactFieldsDlg(parent, QStringLiteral("Add Number to Address Book"), 129) {
    CarrierList()->setCurrentIndex(CarrierAutoDetect);
    NameField()->setFocus();
}

void CAddContactDlg::Deliver(CContact entry) {
    if (auto window = MainWindowEndpoint())
        window->Send(Message{WM_APP_CONTACT_ADDED, std::move(entry), 0});
}
