#include "ui/dialogs/AboutDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "res/StringTable.h"
#include "service/SiteInfo.h"
#include "storage/AppSettings.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/dialogs/LinkLabel.h"
#include "ui/platform/AppIcon.h"
#include "ui/platform/GuiText.h"

CAboutDlg::CAboutDlg(QWidget* owner)
    : CModalDialog(owner, AboutIds::kDialog, QStringLiteral("About Quillo"), QSize(250, 130)) {
    const SiteInfoValues site = CurrentSiteInfo();
    m_versionText = "Quillo v" + LoadString(IDS_VERSION);
    m_messageCount = AppSettings().MessageCount.load();
    m_donationLink = site.PaypalUrl;
    m_donationAddress = site.DonateAddress;
    CreateControls();
    m_siteLink->SetLink(site.SiteUrl);
}

void CAboutDlg::CreateControls() {
    auto* icon = Place(new QLabel(this), {}, QRect(10, 8, 21, 20));
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("Quillo"));
    AddText(ToQt(m_versionText), QRect(40, 9, 120, 9), Qt::AlignLeft, AboutIds::kVersion);
    m_siteLink = Place(new CLinkLabel(QStringLiteral("Quillo's web site"), this),
                       AboutIds::kSiteLink, QRect(40, 20, 120, 9));

    AddText(
        QStringLiteral("If you found this application useful and would like to see it improved,"),
        QRect(7, 38, 236, 9), Qt::AlignHCenter);
    QPushButton* donate = AddButton(QStringLiteral("&Make a donation through Paypal"),
                                    AboutIds::kDonate, QRect(65, 50, 120, 14));
    AddText(
        QStringLiteral("Or If you feel like sending me $5 or $10 to keep Quillo alive, send it to"),
        QRect(7, 71, 236, 9), Qt::AlignHCenter);
    AddParagraph(ToQt(m_donationAddress), QRect(7, 82, 236, 17), Qt::AlignHCenter,
                 AboutIds::kDonationAddress);

    QLabel* countCaption =
        AddText(QStringLiteral("Message &Count :"), QRect(7, 111, 58, 9), Qt::AlignLeft);
    auto* count = Place(new QLineEdit(QString::number(m_messageCount), this),
                        AboutIds::kMessageCount, QRect(66, 109, 50, 14));
    count->setReadOnly(true);
    count->setAccessibleName(QStringLiteral("Message Count"));
    countCaption->setBuddy(count);

    AddOkButton(QRect(193, 109, 50, 14))->setFocus();
    connect(donate, &QPushButton::clicked, this,
            [this] { CLinkLabel::OpenTarget(m_donationLink); });
}
