#pragma once
// Building a small fixed-size dialog from its template: controls placed at their dialog-unit
// rectangles under their identifiers, plain labels, the window frame of a dialog.

#include <QDialog>
#include <QLabel>
#include <QString>

#include "ui/DialogUnits.h"

template <class W>
W* PlaceControl(W* widget, int id, QRect rect) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(rect);
    return widget;
}

inline void AddLabel(QWidget* parent, const QString& text, QRect rect) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
}

// The frame of a fixed-size dialog: a title and a close box, nothing to minimise or maximise.
inline void SetDialogFrame(QDialog* dialog, const QString& title, int templateId) {
    dialog->setObjectName(QString::number(templateId));
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    dialog->setFont(DialogFont());
}
