#include "ui/ModalDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/DialogUnits.h"

CModalDialog::CModalDialog(QWidget* owner, int templateId, const QString& caption, QSize size)
    : QDialog(owner) {
    setObjectName(QString::number(templateId));
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

void CModalDialog::PlaceWidget(QWidget* widget, int id, QRect rect) {
    if (id != 0)
        widget->setObjectName(QString::number(id));
    widget->setGeometry(DialogRect(rect.x(), rect.y(), rect.width(), rect.height()));
}

QLabel* CModalDialog::AddText(const QString& text, QRect rect, Qt::Alignment align, int id) {
    auto* label = Place(new QLabel(text, this), id, rect);
    label->setTextFormat(Qt::PlainText);  // texts from the site are never markup
    label->setAlignment(align | Qt::AlignTop);
    return label;
}

QLabel* CModalDialog::AddParagraph(const QString& text, QRect rect, Qt::Alignment align, int id) {
    QLabel* label = AddText(text, rect, align, id);
    label->setWordWrap(true);
    return label;
}

QPushButton* CModalDialog::AddButton(const QString& caption, int id, QRect rect) {
    return Place(new QPushButton(caption, this), id, rect);
}

QPushButton* CModalDialog::AddOkButton(QRect rect) {
    QPushButton* ok = AddButton(QStringLiteral("OK"), 1, rect);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    return ok;
}
