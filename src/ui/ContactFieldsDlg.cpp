#include "ui/ContactFieldsDlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "base/UiServices.h"
#include "contacts/ContactEntry.h"
#include "ui/DialogTemplate.h"
#include "ui/GuiText.h"
#include "ui/NumberField.h"

CContactFieldsDlg::CContactFieldsDlg(QWidget* parent, const QString& title, int templateId)
    : QDialog(parent) {
    SetDialogFrame(this, title, templateId);
    setFixedSize(DluToPixelsX(164), DluToPixelsY(89));

    // The template's controls in its order, which is also the tab order.
    AddLabel(this, QStringLiteral("Name :"), DialogRect(15, 11, 26, 9));
    m_name = PlaceControl(new QLineEdit(this), 1020, DialogRect(43, 10, 113, 13));
    AddLabel(this, QStringLiteral("Number :"), DialogRect(9, 30, 33, 8));
    m_number = PlaceControl(new QLineEdit(this), 1019, DialogRect(43, 28, 113, 13));
    AddLabel(this, QStringLiteral("Carrier :"), DialogRect(14, 48, 27, 10));
    m_carrier = PlaceControl(new QComboBox(this), 1021, DialogRect(44, 46, 113, 13));
    auto* ok =
        PlaceControl(new QPushButton(QStringLiteral("OK"), this), 1, DialogRect(52, 67, 50, 14));
    auto* cancel = PlaceControl(new QPushButton(QStringLiteral("Cancel"), this), 2,
                                DialogRect(107, 67, 50, 14));
    ok->setDefault(true);
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_number->setAccessibleName(QStringLiteral("Number"));
    m_carrier->setAccessibleName(QStringLiteral("Carrier"));

    for (const std::string& name : CarrierNames()) m_carrier->addItem(ToQt(name));
    m_carrier->setMaxVisibleItems(kCarrierCount);
    AttachNumberFormatting(m_number);

    connect(ok, &QPushButton::clicked, this, &CContactFieldsDlg::accept);
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

void CContactFieldsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        event->accept();  // no help here
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CContactFieldsDlg::event(QEvent* event) {
    if (event->type() == QEvent::WhatsThis || event->type() == QEvent::QueryWhatsThis)
        return true;
    return QDialog::event(event);
}
