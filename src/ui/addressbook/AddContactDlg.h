#pragma once
// CAddContactDlg: "Add Number to Address Book". On a valid OK it tells its owner of the new
// entry (contactAdded), which stores it and saves the settings before this closes.

#include "ui/addressbook/ContactFieldsDlg.h"

class CAddContactDlg : public CContactFieldsDlg {
    Q_OBJECT

public:
    explicit CAddContactDlg(QWidget* parent);

signals:
    void contactAdded(CContact contact);

protected:
    void Deliver(CContact entry) override;
};
