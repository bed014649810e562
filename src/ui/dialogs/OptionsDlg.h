#pragma once
// COptionsDlg, "Quillo Options": the user's own details (MyInfo), the address-book panel's state
// at start-up and whether Enter sends. OK stores them into the settings record and says so; the
// file is written with the next save. Its Delivery button opens the choice of how texts leave.

#include "storage/RouteSettings.h"
#include "ui/dialogs/ModalDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class COptionsDlg : public CModalDialog {
    Q_OBJECT

public:
    explicit COptionsDlg(QWidget* owner);

    QLineEdit* NameField() const { return m_name; }
    QLineEdit* NumberField() const { return m_number; }
    QLineEdit* EmailField() const { return m_email; }
    QComboBox* StartupList() const { return m_startup; }
    QCheckBox* SendOnEnterBox() const { return m_sendOnEnter; }

    void setVisible(bool visible) override;

public slots:
    void accept() override;

signals:
    // After OK has stored the fields, before the dialog closes.
    void optionsChanged();
    // The Delivery dialog saved a route; the main window takes it at once.
    void routeChanged(const RouteSettings& route);

private:
    void CreateControls();
    void LoadSettings();
    void OpenDelivery();

    QLineEdit* m_name = nullptr;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_email = nullptr;
    QComboBox* m_startup = nullptr;
    QCheckBox* m_sendOnEnter = nullptr;
};
