#pragma once
// CSenderField: the From list and its MyInfo rules. The recent senders come first and the MyInfo
// entry last: the user's own details, or "MyInfo..." while there are none. Choosing "MyInfo..."
// offers to set the details up, typing the word MyInfo chooses the entry, and after the options
// the entry shows the details or, without any, is no longer chosen.

#include <QObject>

#include "storage/RouteSettings.h"

class CPopupComboBox;
class QFocusEvent;
class QWidget;

class CSenderField : public QObject {
    Q_OBJECT

public:
    // `window` owns the options dialog this opens.
    CSenderField(CPopupComboBox* from, QWidget* window);

    // The recent senders and the MyInfo entry; the text typed stays.
    void Fill();
    // The sender of the last send: the MyInfo entry, or the most recent sender.
    void SelectInitial();
    // Runs the options dialog, then brings a chosen MyInfo entry up to date.
    void OpenOptions();

    // The field (or its edit part) lost the focus. The window hears it: its filter is not asked
    // once the window is being taken apart.
    void OnFocusOut(const QFocusEvent& event);

signals:
    // Passed on from the options dialog's Delivery dialog.
    void routeChanged(const RouteSettings& route);

private:
    void OnSelectionChange(int index);
    void OnFocusLost();
    bool MyInfoEntrySelected() const;
    void SelectMyInfoEntry();
    void ClearChoice();

    CPopupComboBox* m_from;
    QWidget* m_window;
};
