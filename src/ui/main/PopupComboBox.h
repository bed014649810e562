#pragma once
// An editable combo box of recent texts that says when its list is about to drop down. Items keep
// the order they are inserted in (most recent first).

#include <QComboBox>
#include <functional>

class CPopupComboBox : public QComboBox {
public:
    explicit CPopupComboBox(QWidget* parent = nullptr) : QComboBox(parent) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setMaxVisibleItems(11);
    }

    std::function<void()> beforePopup;

    void showPopup() override {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};
