#pragma once
// An editable combo box that says when its list is about to drop down.

#include <QComboBox>
#include <functional>

class CPopupComboBox : public QComboBox {
public:
    explicit CPopupComboBox(QWidget* parent = nullptr) : QComboBox(parent) { setEditable(true); }

    std::function<void()> beforePopup;

    void showPopup() override {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};
