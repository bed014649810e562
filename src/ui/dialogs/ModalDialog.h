#pragma once
// CModalDialog: what the program's secondary dialogs share. Each is a fixed-size window owned by
// the main window, laid out in dialog units like it, named after its template (controls after
// theirs), and deaf to F1, which in the main window opens the About dialog.

#include <QDialog>
#include <QRect>
#include <QString>

#include "ui/platform/DialogLayout.h"

class QKeyEvent;
class QPushButton;

class CModalDialog : public QDialog, protected CDialogLayout {
public:
    // `size` is the template's width and height in dialog units.
    CModalDialog(QWidget* owner, ControlName dialog, const QString& caption, QSize size);

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The default button "OK", which accepts the dialog.
    QPushButton* AddOkButton(QRect rect);
};
