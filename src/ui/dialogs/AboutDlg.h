#pragma once
// CAboutDlg, "About Quillo": the version, the maker's site, the ways to donate and the number of
// messages sent so far.

#include <cstdint>
#include <string>

#include "ui/dialogs/ModalDialog.h"

class CLinkLabel;

class CAboutDlg : public CModalDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* owner);

    CLinkLabel* SiteLink() const { return m_siteLink; }

private:
    void CreateControls();

    std::string m_versionText;
    std::int32_t m_messageCount = 0;
    std::string m_donationLink;
    std::string m_donationAddress;
    CLinkLabel* m_siteLink = nullptr;
};
