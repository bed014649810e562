#pragma once
// CContactFieldsDlg: what the add and edit contact dialogs share. Name, number and carrier
// fields laid out from their common template, the number formatted while it is typed, and OK
// that checks the entry and hands it on; the two dialogs differ in title, start and hand-over.

#include "ui/dialogs/ModalDialog.h"

#include "contacts/Contact.h"

class QComboBox;
class QLineEdit;

class CContactFieldsDlg : public CModalDialog {
    Q_OBJECT

public:
    QLineEdit* NameField() const { return m_name; }
    QLineEdit* NumberField() const { return m_number; }
    QComboBox* CarrierList() const { return m_carrier; }

    void accept() override;

protected:
    CContactFieldsDlg(QWidget* parent, const QString& title, ControlName dialog);

    // Hands the checked entry on (a signal, connected by the owner); it is stored once this
    // returns, before the dialog closes.
    virtual void Deliver(CContact entry) = 0;

    bool event(QEvent* event) override;

private:
    QLineEdit* m_name = nullptr;
    QLineEdit* m_number = nullptr;
    QComboBox* m_carrier = nullptr;
};
