#pragma once
// The main window's own controls, left of the address-book panel, placed in the template's order
// (which is also the tab order), with their labels and the names the keyboard reaches them by.

#include <QString>

class CPartPreviewLabel;
class CPopupComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

struct MainControls {
    CPopupComboBox* to;
    CPopupComboBox* from;
    QPlainTextEdit* message;
    QPushButton* addressBook;
    QPushButton* options;
    QPushButton* about;
    QPushButton* send;
    CPartPreviewLabel* preview;
};

inline const QString kGoCaption = QStringLiteral("Go !");

MainControls PlaceMainControls(QWidget* window);
