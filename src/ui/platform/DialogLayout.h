#pragma once
// CDialogLayout: the one set of helpers with which every window lays out its controls, in
// dialog units (see DialogUnits.h) and under their names, in tab order. A window inherits it;
// a part of a window lays out its controls with one of its own.

#include <QRect>
#include <QString>

#include "ui/platform/ControlName.h"

class QLabel;
class QPushButton;
class QWidget;

class CDialogLayout {
public:
    explicit CDialogLayout(QWidget* window) : m_window(window) {}

    // Places `widget` at `rect` (dialog units) under `name`.
    template <class W>
    W* Place(W* widget, ControlName name, QRect rect) {
        PlaceWidget(widget, name, rect);
        return widget;
    }
    // A plain text: texts from the site are never markup.
    QLabel* AddText(const QString& text, QRect rect, Qt::Alignment align = Qt::AlignLeft,
                    ControlName name = {});
    // A text that wraps onto the lines its height allows.
    QLabel* AddParagraph(const QString& text, QRect rect, Qt::Alignment align,
                         ControlName name = {});
    QPushButton* AddButton(const QString& caption, ControlName name, QRect rect);

private:
    void PlaceWidget(QWidget* widget, ControlName name, QRect rect);

    QWidget* m_window;
};
