#pragma once
// CAddressBookPanel: the main window's address-book list and its four buttons. It puts names
// into the To field, opens the contact editors and stores what they hand back, deletes contacts
// and runs the CSV import; it collapses and widens the window by its own width. The window
// keeps the controls; this object wires them and owns the list's model.

#include <QObject>
#include <QPointF>
#include <vector>

#include "contacts/Contact.h"

class CAddressBookModel;
class CAutoCompleteField;
class QComboBox;
class QMouseEvent;
class QPoint;
class QPushButton;
class QTreeView;
class QWidget;

struct AddressBookControls {
    QTreeView* list;
    QPushButton* newButton;
    QPushButton* editButton;
    QPushButton* deleteButton;
    QPushButton* sendToButton;
    QComboBox* to;
    CAutoCompleteField* completion;  // the names offered under the To field
    QPushButton* toggleButton;       // "Address Book": collapses the panel and opens it again
};

class CAddressBookPanel : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kImportFilter =
        "Comma-Seperated Value Files (*.csv)|*.csv|All Files (*.*)|*.*||";

    CAddressBookPanel(QWidget* window, const AddressBookControls& controls);

    // What the panel takes of the window's width: closed, the window is this much narrower.
    static constexpr int kWidth = 236;

    // Sorts the book by name and shows it again; the suggestions follow.
    void Refresh();

    // The panel's state at start-up, as the option says.
    void ApplyStartup();
    // Widens the window by the panel (once) and enables its controls.
    void Open();
    // Narrows the window by the panel (once) and disables its controls.
    void Close();

    // What the contact editors hand back: stored with its number as digits, shown, and saved.
    void AddContact(CContact contact);
    void ReplaceContact(int index, CContact contact);

    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnSendTo();
    void OnAppendToRecipients();
    void OnImport();

    // Selected rows in increasing order.
    std::vector<int> SelectedRows() const;
    // Removes the rows (increasing) without asking and shows the book again.
    void DeleteRows(const std::vector<int>& rows);

signals:
    // After every change of the book this panel makes or shows.
    void Refreshed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnDoubleClick();
    void ShowContextMenu(const QPoint& position);
    void SetToText(const std::string& text);
    void SetControlsEnabled(bool enabled);
    bool IsSecondRightPress(const QMouseEvent& press) const;

    QWidget* m_window;
    AddressBookControls m_controls;
    QWidget* m_viewport;  // the list's, where the mouse arrives
    CAddressBookModel* m_model;
    struct {
        quint64 time = 0;
        QPointF at;
    } m_firstRightPress;                // on the list: it opens the context menu
    bool m_rightDoubleClicked = false;  // the menu was closed by a right double click
};
