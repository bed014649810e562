#include "ui/dialogs/DonateDlg.h"

#include <QLabel>
#include <QPushButton>

#include "service/SiteInfo.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/LinkLabel.h"
#include "ui/platform/GuiText.h"

CDonateDlg::CDonateDlg(QWidget* owner)
    : CModalDialog(owner, DonateIds::kDialog, QStringLiteral("Make a donation!"), QSize(236, 128)) {
    const SiteInfoValues site = CurrentSiteInfo();
    m_siteText = site.SiteUrlText;
    m_donationLink = site.PaypalUrl;
    CreateControls();
}

void CDonateDlg::CreateControls() {
    AddText(QStringLiteral("You have just sent your 50th Quillo message!"), QRect(7, 7, 222, 9));
    AddText(QStringLiteral("Your donations make it possible"), QRect(7, 21, 222, 9),
            Qt::AlignHCenter);
    QPushButton* donate = AddButton(QStringLiteral("&Click here to donate through Paypal"),
                                    DonateIds::kDonate, QRect(53, 33, 130, 14));
    AddParagraph(QStringLiteral("Great freeware like Quillo doesn't grow on trees!  It is the "
                                "product of a lot of time and effort.  All I ask in return is a "
                                "couple bucks to help me pay off my student loans..."),
                 QRect(7, 53, 222, 34), Qt::AlignHCenter);
    AddText(ToQt(m_siteText), QRect(7, 91, 222, 9), Qt::AlignHCenter, DonateIds::kSiteText);

    AddOkButton(QRect(93, 107, 50, 14))->setFocus();
    connect(donate, &QPushButton::clicked, this,
            [this] { CLinkLabel::OpenTarget(m_donationLink); });
}
