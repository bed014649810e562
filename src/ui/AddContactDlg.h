#pragma once
// CAddContactDlg: "Add Number to Address Book". On a valid OK the new entry goes to the main
// window (WM_APP_CONTACT_ADDED), which stores it and saves the settings before this closes.

#include "ui/ContactFieldsDlg.h"

class CAddContactDlg : public CContactFieldsDlg {
    Q_OBJECT

public:
    explicit CAddContactDlg(QWidget* parent);

protected:
    void Deliver(CContact entry) override;
};
