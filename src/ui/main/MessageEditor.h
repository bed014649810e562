#pragma once
// CMessageEditor: the message field's behaviour. It keeps the text within the limit, breaks a
// line on Ctrl+Enter and leaves plain Enter to the window, gives the text with the line ends the
// gateways expect, offers to replace unsendable characters in its context menu, and keeps the
// part preview up to date with the message, the To and the From field, counted as the route
// counts.

#include <QObject>
#include <string>

#include "storage/RouteSettings.h"

class CPartPreviewLabel;
class QComboBox;
class QMenu;
class QPlainTextEdit;
class QPoint;

struct MessageEditorFields {
    QPlainTextEdit* message;
    CPartPreviewLabel* preview;
    QComboBox* to;
    QComboBox* from;
};

class CMessageEditor : public QObject {
    Q_OBJECT

public:
    static constexpr int kLimit = 2500;  // characters

    CMessageEditor(const MessageEditorFields& fields, QObject* parent);

    // The text as the gateways expect it: line breaks as CR LF.
    std::string Text() const;

    // The usual edit commands, the history and "Replace unsendable characters" (last). The
    // caller shows the menu and owns it.
    QMenu* CreateMenu(const QPoint& position);
    // Puts look-alikes for the common unsendable characters in the message, as one undo step.
    void ReplaceUnsendableCharacters();

    // The address book changed: names and carriers are looked up again.
    void ForgetAddressBook();

    // The route batches leave by: it decides how the preview counts and what the replace
    // command offers.
    void SetRoute(DeliveryRoute route);

signals:
    // Enter without Ctrl: the window's send command decides.
    void enterPressed();
    // "History of Sent Messages..." in the context menu.
    void historyRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LimitLength();
    void UpdatePreview();

    MessageEditorFields m_fields;
    DeliveryRoute m_route = RouteCarrierForms;
};
