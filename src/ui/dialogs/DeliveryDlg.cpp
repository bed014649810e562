#include "ui/dialogs/DeliveryDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

#include "app/DeliveryChoices.h"
#include "base/Paths.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "storage/ArchiveException.h"
#include "ui/dialogs/DialogIds.h"
#include "ui/platform/DialogUnits.h"
#include "ui/platform/SecretKeyring.h"

namespace {

const QString kLooking = QStringLiteral("Looking for modems...");
const QString kEnabling = QStringLiteral("Enabling the modem...");

std::filesystem::path RouteFile() {
    return RouteSettingsPath(DataDirectory(AppSettings().ExeDirectory));
}

// Texts typed here are UTF-8 in route.conf, as typed.
QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}
std::string ToUtf8(const QString& text) {
    return text.trimmed().toStdString();
}

// A caption at the left of its field, which its mnemonic reaches.
template <class W>
W* Captioned(CDialogLayout& layout, const char* caption, W* field, ControlName name, QRect label,
             QRect rect) {
    QString text = QString::fromLatin1(caption);
    layout.AddText(text, label, Qt::AlignRight)->setBuddy(field);
    field->setAccessibleName(text.remove(QLatin1Char('&')).chopped(2));
    return layout.Place(field, name, rect);
}

// A group box's own controls are placed in the dialog's units from the box's corner.
class CGroupLayout : public CDialogLayout {
public:
    CGroupLayout(QGroupBox* box, QPoint corner) : CDialogLayout(box), m_corner(corner) {}
    QRect At(int x, int y, int w, int h) const {
        return QRect(x - m_corner.x(), y - m_corner.y(), w, h);
    }

private:
    QPoint m_corner;
};

}  // namespace

CDeliveryDlg::CDeliveryDlg(QWidget* owner)
    : CModalDialog(owner, DeliveryIds::kDialog, QStringLiteral("Delivery"), QSize(320, 300)),
      m_keyring(new CSecretKeyring(this)) {
    CreateRouteControls();
    CreateModemControls();
    CreateWebControls();
    AddOkButton(QRect(207, 280, 50, 14));
    QPushButton* cancel =
        AddButton(QStringLiteral("Cancel"), kCancelButton, QRect(263, 280, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CDeliveryDlg::reject);
    connect(&m_listing, &QFutureWatcher<ModemListing>::finished, this,
            &CDeliveryDlg::OnModemsListed);
    connect(&m_enabling, &QFutureWatcher<std::string>::finished, this,
            &CDeliveryDlg::OnModemEnabled);
    connect(m_keyring, &CSecretKeyring::readDone, this, &CDeliveryDlg::OnSecretRead);
    Load();
}

void CDeliveryDlg::CreateRouteControls() {
    AddText(QStringLiteral("Send texts by :"), QRect(7, 9, 52, 9), Qt::AlignRight);
    const struct {
        const char* caption;
        ControlName name;
        QRect rect;
    } routes[] = {{"Carrier &web forms", DeliveryIds::kCarrierForms, QRect(64, 8, 80, 10)},
                  {"&Modem", DeliveryIds::kModem, QRect(148, 8, 40, 10)},
                  {"Web &service", DeliveryIds::kWebService, QRect(192, 8, 60, 10)}};
    for (std::size_t i = 0; i < std::size(routes); ++i) {
        m_routes[i] = Place(new QRadioButton(QString::fromLatin1(routes[i].caption), this),
                            routes[i].name, routes[i].rect);
        connect(m_routes[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                OnRouteChosen();
        });
    }
    m_countryCode =
        Captioned(*this, "Country &code :", new QLineEdit(this), DeliveryIds::kCountryCode,
                  QRect(7, 24, 52, 9), QRect(64, 22, 20, 13));
    m_countryCode->setMaxLength(3);
    m_countryCode->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
    AddText(QStringLiteral("put before ten-digit numbers by modem or web service"),
            QRect(90, 24, 220, 9));
}

void CDeliveryDlg::CreateModemControls() {
    m_modemGroup = Place(new QGroupBox(QStringLiteral("Modem"), this), DeliveryIds::kModemGroup,
                         QRect(7, 40, 306, 102));
    CGroupLayout g(m_modemGroup, QPoint(7, 40));
    m_modemList =
        g.Place(new QTreeWidget(m_modemGroup), DeliveryIds::kModemList, g.At(14, 52, 292, 48));
    m_modemList->setRootIsDecorated(false);
    m_modemList->setHeaderLabels({QStringLiteral("Modem"), QStringLiteral("Number"),
                                  QStringLiteral("Operator"), QStringLiteral("Signal"),
                                  QStringLiteral("State")});
    // Room for what the columns say; the state takes what is left.
    const int widths[] = {82, 60, 52, 28};
    for (int c = 0; c < 4; ++c) m_modemList->setColumnWidth(c, DluToPixelsX(widths[c]));
    m_modemList->setAccessibleName(QStringLiteral("Modems"));
    connect(m_modemList, &QTreeWidget::currentItemChanged, this, &CDeliveryDlg::OnModemSelected);

    m_modemNote =
        g.AddParagraph({}, g.At(14, 103, 292, 18), Qt::AlignLeft, DeliveryIds::kModemNote);
    m_enable =
        g.AddButton(QStringLiteral("&Enable"), DeliveryIds::kEnableModem, g.At(14, 123, 50, 14));
    m_refresh =
        g.AddButton(QStringLiteral("&Refresh"), DeliveryIds::kRefresh, g.At(68, 123, 50, 14));
    m_reports = g.Place(
        new QCheckBox(QStringLiteral("Ask for &delivery reports (may cost extra)"), m_modemGroup),
        DeliveryIds::kDeliveryReports, g.At(124, 125, 182, 10));
    connect(m_refresh, &QPushButton::clicked, this, &CDeliveryDlg::RefreshModems);
    connect(m_enable, &QPushButton::clicked, this, &CDeliveryDlg::EnableSelectedModem);
}

void CDeliveryDlg::CreateWebControls() {
    m_webGroup = Place(new QGroupBox(QStringLiteral("Web service"), this), DeliveryIds::kWebGroup,
                       QRect(7, 146, 306, 128));
    QGroupBox* box = m_webGroup;
    CGroupLayout g(box, QPoint(7, 146));
    m_preset = Captioned(g, "&Preset :", new QComboBox(box), DeliveryIds::kPreset,
                         g.At(14, 160, 54, 9), g.At(72, 158, 140, 14));
    m_preset->addItems({QStringLiteral("Form and account"), QStringLiteral("JSON and token"),
                        QStringLiteral("Gateway on my phone")});
    m_base = Captioned(g, "&Base address :", new QLineEdit(box), DeliveryIds::kBase,
                       g.At(14, 177, 54, 9), g.At(72, 175, 234, 13));
    m_plainHttp = g.AddText(QStringLiteral("Plain HTTP: only on your own network; the secret "
                                           "travels unencrypted"),
                            g.At(72, 190, 234, 9), Qt::AlignLeft, DeliveryIds::kPlainHttp);
    m_plainHttp->setStyleSheet(QStringLiteral("color: #b00000"));
    m_account = Captioned(g, "&Account :", new QLineEdit(box), DeliveryIds::kAccount,
                          g.At(14, 203, 54, 9), g.At(72, 201, 100, 13));
    m_sender = Captioned(g, "Se&nder :", new QLineEdit(box), DeliveryIds::kSender,
                         g.At(174, 203, 32, 9), g.At(208, 201, 98, 13));
    m_secret = Captioned(g, "Secre&t :", new QLineEdit(box), DeliveryIds::kSecret,
                         g.At(14, 219, 54, 9), g.At(72, 217, 100, 13));
    m_secret->setEchoMode(QLineEdit::Password);
    QPushButton* forget = g.AddButton(QStringLiteral("&Forget secret"), DeliveryIds::kForgetSecret,
                                      g.At(178, 216, 60, 14));
    m_keyringNote = g.AddText({}, g.At(72, 233, 234, 9), Qt::AlignLeft, DeliveryIds::kKeyringNote);
    m_perMinute = Captioned(g, "Messages per m&inute :", new QSpinBox(box), DeliveryIds::kPerMinute,
                            g.At(14, 250, 80, 9), g.At(98, 248, 40, 13));
    m_perMinute->setRange(kMinWebPerMinute, kMaxWebPerMinute);

    connect(m_preset, QOverload<int>::of(&QComboBox::activated), this,
            &CDeliveryDlg::OnPresetChosen);
    connect(m_base, &QLineEdit::textChanged, this,
            [this](const QString& base) { m_plainHttp->setVisible(IsPlainHttp(ToUtf8(base))); });
    connect(forget, &QPushButton::clicked, this, &CDeliveryDlg::ForgetSecret);
    connect(m_secret, &QLineEdit::textEdited, this, [this] { m_secretTouched = true; });
}

void CDeliveryDlg::Load() {
    m_saved = LoadRouteSettings(RouteFile());
    m_routes[m_saved.route]->setChecked(true);
    m_countryCode->setText(FromUtf8(m_saved.countryCode));
    m_reports->setChecked(m_saved.deliveryReports);
    m_preset->setCurrentIndex(m_saved.webPreset);
    m_base->setText(FromUtf8(m_saved.webBase));
    m_plainHttp->setVisible(IsPlainHttp(m_saved.webBase));
    m_account->setText(FromUtf8(m_saved.webAccount));
    m_sender->setText(FromUtf8(m_saved.webSender));
    m_sender->setEnabled(PresetHasSender(m_saved.webPreset));
    m_perMinute->setValue(m_saved.webPerMinute);
    if (!m_saved.webAccount.empty())
        AskForSecret();
    OnRouteChosen();
}

DeliveryRoute CDeliveryDlg::ChosenRoute() const {
    for (int i = 0; i < 3; ++i) {
        if (m_routes[i]->isChecked())
            return static_cast<DeliveryRoute>(i);
    }
    return RouteCarrierForms;
}

void CDeliveryDlg::OnRouteChosen() {
    const DeliveryRoute route = ChosenRoute();
    m_modemGroup->setEnabled(route == RouteModem);
    m_webGroup->setEnabled(route == RouteWebService);
    // Nobody is asked about modems until the modem route is chosen, nor the keyring until
    // the web route is: a locked keyring would ask the user to unlock it.
    if (route == RouteModem && !m_listed)
        RefreshModems();
    if (route == RouteWebService) {
        if (!m_secretAsked)
            AskForSecret();  // also tells at once when there is no keyring
        if (m_base->text().isEmpty())
            OnPresetChosen(m_preset->currentIndex());
    }
}

void CDeliveryDlg::AskForSecret() {
    m_secretAsked = true;
    m_keyring->Read(FromUtf8(SecretKey(m_saved)));
}

void CDeliveryDlg::RefreshModems() {
    m_listed = true;
    m_modemList->clear();
    m_modemNote->setText(kLooking);
    m_enable->setEnabled(false);
    m_refresh->setEnabled(false);
    m_listing.setFuture(QtConcurrent::run(ListModems));
}

void CDeliveryDlg::OnModemsListed() {
    const ModemListing listing = m_listing.result();
    // The one chosen before the refresh stays chosen; at first, the one route.conf names.
    const int current = m_modemList->currentIndex().row();
    const std::string chosen = current >= 0 && current < static_cast<int>(m_modems.size())
                                   ? m_modems[static_cast<std::size_t>(current)].path
                                   : m_saved.modem;
    m_modems = listing.modems;
    m_modemList->clear();
    for (const ModemInfo& modem : m_modems) {
        QStringList columns;
        for (const std::string& text : ModemRowOf(modem)) columns << FromUtf8(text);
        m_modemList->addTopLevelItem(new QTreeWidgetItem(columns));
    }
    m_refresh->setEnabled(true);
    m_modemNote->setText(FromUtf8(ModemListNote(listing)));
    const int choice = DefaultModemChoice(m_modems, chosen);
    if (choice >= 0)
        m_modemList->setCurrentItem(m_modemList->topLevelItem(choice));
    emit modemsListed();
}

void CDeliveryDlg::OnModemSelected() {
    const int row = m_modemList->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_modems.size())) {
        m_enable->setEnabled(false);
        return;
    }
    const ModemInfo& modem = m_modems[static_cast<std::size_t>(row)];
    m_enable->setEnabled(!modem.enabled && !modem.simLocked);
    m_modemNote->setText(FromUtf8(ModemAdvice(modem)));
}

void CDeliveryDlg::EnableSelectedModem() {
    const int row = m_modemList->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_modems.size()))
        return;
    m_enable->setEnabled(false);
    m_refresh->setEnabled(false);
    m_modemNote->setText(kEnabling);
    m_enabling.setFuture(
        QtConcurrent::run(EnableModem, m_modems[static_cast<std::size_t>(row)].path));
}

void CDeliveryDlg::OnModemEnabled() {
    const std::string problem = m_enabling.result();
    if (problem.empty()) {
        RefreshModems();
        return;
    }
    m_refresh->setEnabled(true);
    OnModemSelected();                        // Enable as the modem allows it
    m_modemNote->setText(FromUtf8(problem));  // in place of the modem's advice
}

void CDeliveryDlg::OnPresetChosen(int preset) {
    const auto chosen = static_cast<WebPreset>(preset);
    // Only an example gives way: an address the user typed stays.
    if (IsUntouchedExample(ToUtf8(m_base->text())))
        m_base->setText(FromUtf8(std::string(PresetExample(chosen))));
    m_sender->setEnabled(PresetHasSender(chosen));
}

void CDeliveryDlg::OnSecretRead(const QString& key, const QString& secret, bool inKeyring) {
    m_keyringNote->setText(inKeyring ? QString() : CSecretKeyring::NoKeyringNote());
    // What the user typed or forgot meanwhile wins over what the keyring says.
    if (!m_secretTouched && key == FromUtf8(SecretKey(Collect()))) {
        m_loadedSecret = secret;
        m_secret->setText(secret);
    }
}

void CDeliveryDlg::ForgetSecret() {
    m_secretTouched = true;
    m_keyring->Remove(FromUtf8(SecretKey(Collect())));
    m_secret->clear();
    m_loadedSecret.clear();
}

RouteSettings CDeliveryDlg::Collect() const {
    RouteSettings s = m_saved;
    s.route = ChosenRoute();
    s.countryCode = ToUtf8(m_countryCode->text());
    const int modem = m_modemList->currentIndex().row();
    if (modem >= 0 && modem < static_cast<int>(m_modems.size())) {
        const ModemInfo& m = m_modems[static_cast<std::size_t>(modem)];
        s.modem = m.deviceId.empty() ? m.path : m.deviceId;  // the device id survives a replug
    }
    s.deliveryReports = m_reports->isChecked();
    s.webPreset = static_cast<WebPreset>(std::max(0, m_preset->currentIndex()));
    s.webBase = ToUtf8(m_base->text());
    s.webAccount = ToUtf8(m_account->text());
    s.webSender = ToUtf8(m_sender->text());
    s.webPerMinute = m_perMinute->value();
    s.webSecret = m_secret->text().toStdString();
    return s;
}

void CDeliveryDlg::SaveSecret(const RouteSettings& route) {
    const QString key = FromUtf8(SecretKey(route));
    const QString before = FromUtf8(SecretKey(m_saved));
    // A secret belongs to its preset and account: with another account the old one goes.
    if (key != before)
        m_keyring->Remove(before);
    const QString secret = FromUtf8(route.webSecret);
    if (key == before && secret == m_loadedSecret)
        return;
    if (secret.isEmpty())
        m_keyring->Remove(key);
    else
        m_keyring->Store(key, secret);
}

void CDeliveryDlg::accept() {
    const RouteSettings route = Collect();
    if (const std::string problem = DeliveryProblem(route); !problem.empty()) {
        ShowMessageBox(problem, MbButtons::Ok, MbIcon::Warning);
        return;
    }
    try {
        SaveRouteSettings(RouteFile(), route);
    } catch (const CArchiveException& e) {
        ShowMessageBox(std::string("The delivery settings could not be saved: ") + e.what(),
                       MbButtons::Ok, MbIcon::Error);
        return;
    }
    SaveSecret(route);
    emit routeChanged(route);
    QDialog::accept();
}
