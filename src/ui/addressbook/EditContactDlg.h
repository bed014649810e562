#pragma once
// CEditContactDlg: "Edit Address Book Entry" for the entry at a given index. On a valid OK it
// tells its owner of the changed entry and its index (contactChanged), which stores it and saves
// the settings before this closes.

#include <cstddef>

#include "ui/addressbook/ContactFieldsDlg.h"

class CEditContactDlg : public CContactFieldsDlg {
    Q_OBJECT

public:
    CEditContactDlg(QWidget* parent, const CContact& entry, int index);

signals:
    void contactChanged(int index, CContact contact);

protected:
    void Deliver(CContact entry) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_index;
    bool m_caretPlaced = false;
};
