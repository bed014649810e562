#include "ui/addressbook/PanelControls.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTreeView>

#include "ui/addressbook/AddressBookIds.h"
#include "ui/platform/DialogLayout.h"

AddressBookControls PlacePanelControls(QWidget* window, QComboBox* to,
                                       CAutoCompleteField* completion, QPushButton* toggle) {
    using namespace PanelIds;
    CDialogLayout layout(window);
    layout
        .Place(new QGroupBox(QStringLiteral("Address Book"), window), kFrame,
               QRect(177, 5, 148, 188))
        ->lower();
    auto* list = layout.Place(new QTreeView(window), kList, QRect(183, 15, 136, 160));
    list->setAccessibleName(QStringLiteral("Address Book"));
    AddressBookControls controls{list, nullptr, nullptr, nullptr, nullptr, to, completion, toggle};
    const struct {
        const char* caption;
        ControlName name;
        QRect rect;
        QPushButton** button;
    } buttons[] = {{"&New", kNew, QRect(183, 177, 28, 12), &controls.newButton},
                   {"&Edit", kEdit, QRect(212, 177, 25, 12), &controls.editButton},
                   {"&Delete", kDelete, QRect(238, 177, 26, 12), &controls.deleteButton},
                   {"&Send To", kSendTo, QRect(281, 177, 38, 12), &controls.sendToButton}};
    for (const auto& b : buttons) {
        *b.button = layout.AddButton(QString::fromLatin1(b.caption), b.name, b.rect);
        (*b.button)->setFlat(true);
    }
    return controls;
}
