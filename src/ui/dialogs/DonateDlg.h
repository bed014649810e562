#pragma once
// CDonateDlg, "Make a donation!": shown once, after the fiftieth message sent.

#include <string>

#include "ui/dialogs/ModalDialog.h"

class CDonateDlg : public CModalDialog {
    Q_OBJECT

public:
    explicit CDonateDlg(QWidget* owner);

private:
    void CreateControls();

    std::string m_donationLink;
    std::string m_siteText;
};
