#include "ui/dialogs/ModalDialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include "ui/platform/DialogUnits.h"

CModalDialog::CModalDialog(QWidget* owner, ControlName dialog, const QString& caption, QSize size)
    : QDialog(owner), CDialogLayout(this) {
    NameControl(this, dialog);
    // Customised, so that window managers offer only the close box: no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(caption);
    setFont(DialogFont());
    setFixedSize(DluToPixelsX(size.width()), DluToPixelsY(size.height()));
}

void CModalDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        event->accept();  // handled: no help here, and no About box on top of this one
        return;
    }
    QDialog::keyPressEvent(event);
}

QPushButton* CModalDialog::AddOkButton(QRect rect) {
    QPushButton* ok = AddButton(QStringLiteral("OK"), kOkButton, rect);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    return ok;
}
