#pragma once
// CEditContactDlg: "Edit Address Book Entry" for the entry at a given index. On a valid OK the
// changed entry goes to the main window (WM_APP_CONTACT_CHANGED with the index), which stores
// it and saves the settings before this closes.

#include <cstddef>

#include "ui/ContactFieldsDlg.h"

class CEditContactDlg : public CContactFieldsDlg {
    Q_OBJECT

public:
    CEditContactDlg(QWidget* parent, const CContact& entry, int index);

protected:
    void Deliver(CContact entry) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_index;
    bool m_caretPlaced = false;
};
