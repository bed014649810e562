#pragma once
// CDeliveryDlg, "Delivery": how texts leave. The carriers' web forms, a modem ModemManager
// drives (listed, and enabled, off the GUI thread), or an SMS web service whose secret lives in
// the desktop's keyring. OK checks the options, saves route.conf and the secret, and hands the
// route on.

#include <QFutureWatcher>
#include <string>

#include "delivery/routes/ModemDirectory.h"
#include "storage/RouteSettings.h"
#include "ui/dialogs/ModalDialog.h"

class CSecretKeyring;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

class CDeliveryDlg : public CModalDialog {
    Q_OBJECT

public:
    explicit CDeliveryDlg(QWidget* owner);

public slots:
    void accept() override;

signals:
    // After OK has saved the route, before the dialog closes; the secret comes along.
    void routeChanged(const RouteSettings& route);
    // The modem list has been filled (or says why it cannot be).
    void modemsListed();

private:
    void CreateRouteControls();
    void CreateModemControls();
    void CreateWebControls();
    void Load();

    DeliveryRoute ChosenRoute() const;
    void OnRouteChosen();
    void AskForSecret();
    void RefreshModems();
    void OnModemsListed();
    void OnModemSelected();
    void EnableSelectedModem();
    void OnModemEnabled();
    void OnPresetChosen(int preset);
    void OnSecretRead(const QString& key, const QString& secret, bool inKeyring);
    void ForgetSecret();
    RouteSettings Collect() const;
    void SaveSecret(const RouteSettings& route);

    RouteSettings m_saved;  // as route.conf holds it
    QString m_loadedSecret;
    bool m_secretTouched = false;  // typed or forgotten: the keyring's answer comes too late
    std::vector<ModemInfo> m_modems;
    bool m_listed = false;
    bool m_secretAsked = false;
    CSecretKeyring* m_keyring = nullptr;
    QFutureWatcher<ModemListing> m_listing;
    QFutureWatcher<std::string> m_enabling;

    QRadioButton* m_routes[3] = {};
    QLineEdit* m_countryCode = nullptr;
    QGroupBox* m_modemGroup = nullptr;
    QTreeWidget* m_modemList = nullptr;
    QLabel* m_modemNote = nullptr;
    QPushButton* m_enable = nullptr;
    QPushButton* m_refresh = nullptr;
    QCheckBox* m_reports = nullptr;
    QGroupBox* m_webGroup = nullptr;
    QComboBox* m_preset = nullptr;
    QLineEdit* m_base = nullptr;
    QLabel* m_plainHttp = nullptr;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_sender = nullptr;
    QLineEdit* m_secret = nullptr;
    QLabel* m_keyringNote = nullptr;
    QSpinBox* m_perMinute = nullptr;
};
