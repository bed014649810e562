#include "ui/main/MainControls.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/main/MainWindowIds.h"
#include "ui/main/PartPreviewLabel.h"
#include "ui/main/PopupComboBox.h"
#include "ui/platform/DialogLayout.h"

MainControls PlaceMainControls(QWidget* window) {
    using namespace MainWindowIds;
    CDialogLayout layout(window);
    MainControls c{};
    QLabel* toLabel = layout.AddText(QStringLiteral("&To :"), QRect(8, 10, 19, 12), Qt::AlignRight);
    c.to = layout.Place(new CPopupComboBox(window), kTo, QRect(32, 8, 135, 12));
    QLabel* fromLabel =
        layout.AddText(QStringLiteral("F&rom :"), QRect(6, 27, 21, 12), Qt::AlignRight);
    c.from = layout.Place(new CPopupComboBox(window), kFrom, QRect(32, 25, 135, 12));
    c.message = layout.Place(new QPlainTextEdit(window), kMessage, QRect(6, 43, 160, 121));
    c.addressBook =
        layout.AddButton(QStringLiteral("&Address Book"), kAddressBook, QRect(6, 168, 51, 18));
    c.options = layout.AddButton(QStringLiteral("&Options"), kOptions, QRect(59, 168, 34, 18));
    c.about = layout.AddButton(QStringLiteral("A&bout "), kAbout, QRect(95, 168, 28, 18));
    c.send = layout.AddButton(kGoCaption, kGo, QRect(125, 168, 41, 18));
    layout
        .AddText(QStringLiteral("Quillo by Quillo Software"), QRect(41, 187, 95, 9),
                 Qt::AlignHCenter)
        ->setEnabled(false);
    // In the room right of the caption, clear of the panel whether it is open or not.
    c.preview = layout.Place(new CPartPreviewLabel(window), {}, QRect(131, 187, 36, 9));

    // Alt and the underlined letter reach every control; the texts stay the program's own.
    toLabel->setBuddy(c.to);
    fromLabel->setBuddy(c.from);
    c.to->setAccessibleName(QStringLiteral("To"));
    c.from->setAccessibleName(QStringLiteral("From"));
    c.message->setAccessibleName(QStringLiteral("Message"));
    c.send->setDefault(true);
    return c;
}
