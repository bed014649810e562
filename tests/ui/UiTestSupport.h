#pragma once
// What the GUI tests do with any window: find a control by its name, press OK, and check that
// every caption fits its control.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/platform/ControlName.h"

// A control of a window or dialog by its name.
template <class W = QWidget>
W* Control(const QWidget* window, ControlName control) {
    return window->findChild<W*>(QString::fromLatin1(control.name));
}

// A caption as shown: the mnemonic marks are not part of the text.
inline QString Plain(QString caption) {
    return caption.remove(QLatin1Char('&'));
}

inline void PressOk(QDialog& dialog) {
    QTest::mouseClick(Control<QPushButton>(&dialog, kOkButton), Qt::LeftButton);
}

// Every caption is shown whole: on one line where the text does not wrap, on the lines the
// control's height allows where it does, and with `buttonMargin` pixels to spare on a button.
inline void ExpectCaptionsFit(const QWidget& window, int buttonMargin) {
    for (const QLabel* l : window.findChildren<QLabel*>()) {
        const QString text = Plain(l->text());
        if (l->wordWrap()) {
            EXPECT_LE(l->heightForWidth(l->width()), l->height()) << text.toStdString();
        } else {
            EXPECT_LE(l->fontMetrics().horizontalAdvance(text), l->width()) << text.toStdString();
        }
    }
    for (const QPushButton* b : window.findChildren<QPushButton*>()) {
        const int textWidth = b->fontMetrics().horizontalAdvance(Plain(b->text()));
        EXPECT_LE(textWidth + buttonMargin, b->width()) << b->text().toStdString();
    }
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QComboBox*>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << w->objectName().toStdString();
        }
    }
    for (const QGroupBox* g : window.findChildren<QGroupBox*>()) {
        EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 16, g->width());
    }
}
