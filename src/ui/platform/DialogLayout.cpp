#include "ui/platform/DialogLayout.h"

#include <QLabel>
#include <QPushButton>

#include "ui/platform/DialogUnits.h"

void CDialogLayout::PlaceWidget(QWidget* widget, ControlName name, QRect rect) {
    NameControl(widget, name);
    widget->setGeometry(DialogRect(rect.x(), rect.y(), rect.width(), rect.height()));
}

QLabel* CDialogLayout::AddText(const QString& text, QRect rect, Qt::Alignment align,
                               ControlName name) {
    auto* label = Place(new QLabel(text, m_window), name, rect);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align | Qt::AlignTop);
    return label;
}

QLabel* CDialogLayout::AddParagraph(const QString& text, QRect rect, Qt::Alignment align,
                                    ControlName name) {
    QLabel* label = AddText(text, rect, align, name);
    label->setWordWrap(true);
    return label;
}

QPushButton* CDialogLayout::AddButton(const QString& caption, ControlName name, QRect rect) {
    return Place(new QPushButton(caption, m_window), name, rect);
}
