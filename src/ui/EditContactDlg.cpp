#include "ui/EditContactDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

#include "contacts/PhoneNumbers.h"
#include "runtime/PostToTarget.h"
#include "runtime/WindowEndpoint.h"
#include "ui/GuiText.h"

CEditContactDlg::CEditContactDlg(QWidget* parent, const CContact& entry, int index)
    : CContactFieldsDlg(parent, QStringLiteral("Edit Address Book Entry"), 131), m_index(index) {
    NameField()->setText(ToQt(entry.Name));
    NumberField()->setText(ToQt(FormatPhoneNumber(entry.Number)));
    // A code without a name (only an old settings file has one) selects nothing.
    const bool known = entry.Carrier >= 0 && entry.Carrier < kCarrierCount;
    CarrierList()->setCurrentIndex(known ? entry.Carrier : -1);
    NameField()->setFocus();
    NameField()->end(false);
    NameField()->installEventFilter(this);
}

bool CEditContactDlg::eventFilter(QObject* watched, QEvent* event) {
    // The field selects its text when the dialog first gives it the focus; the caret goes
    // after the name instead, once that is done.
    if (watched == NameField() && event->type() == QEvent::FocusIn && !m_caretPlaced) {
        m_caretPlaced = true;
        QLineEdit* name = NameField();
        QTimer::singleShot(0, name, [name] { name->end(false); });
    }
    return CContactFieldsDlg::eventFilter(watched, event);
}

void CEditContactDlg::Deliver(CContact entry) {
    if (auto window = MainWindowEndpoint())
        window->Send(Message{WM_APP_CONTACT_CHANGED, std::move(entry), m_index});
}
