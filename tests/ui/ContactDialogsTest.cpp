// The contact editors: live number formatting, the checks on OK and what reaches the book.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/AddressBookFixture.h"
#include "ui/addressbook/AddContactDlg.h"
#include "ui/addressbook/AddressBookPanel.h"
#include "ui/addressbook/EditContactDlg.h"

namespace {

class ContactDialogs : public AddressBookTest {
protected:
    void SetUp() override {
        AddressBookTest::SetUp();
        OpenWith({"Ann", "Bob"});
    }
    // The panel stores what an editor hands back, as when it opens the editor itself.
    void Own(CAddContactDlg& d) {
        QObject::connect(&d, &CAddContactDlg::contactAdded, dialog->Panel(),
                         &CAddressBookPanel::AddContact);
    }
    void Own(CEditContactDlg& d) {
        QObject::connect(&d, &CEditContactDlg::contactChanged, dialog->Panel(),
                         &CAddressBookPanel::ReplaceContact);
    }
};

}  // namespace

TEST_F(ContactDialogs, TheNumberShowsItsDisplayFormWhateverIsTypedWithTheCaretAtTheEnd) {
    CAddContactDlg d(dialog.get());
    d.show();
    QLineEdit* number = d.NumberField();
    QTest::keyClicks(number, "5551234567");
    EXPECT_EQ(number->text(), "(555) 123-4567");
    EXPECT_EQ(number->cursorPosition(), number->text().size());
    QTest::keyClick(number, Qt::Key_8);  // an eleventh digit
    EXPECT_EQ(number->text(), "(555) 123-4567");

    // Deleting in the middle reformats what is left and puts the caret at the end.
    number->setCursorPosition(3);
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(number->text(), "(551) 234-567");
    EXPECT_EQ(number->cursorPosition(), number->text().size());

    number->clear();
    QApplication::clipboard()->setText("555.123.4567 ext 9");
    number->setFocus();
    QTest::keyClick(number, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(number->text(), "(555) 123-4567");
}

TEST_F(ContactDialogs, OkChecksTheNameFirstThenTheNumberAndKeepsTheDialogOpen) {
    CAddContactDlg d(dialog.get());
    Own(d);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Add Number to Address Book");
    EXPECT_EQ(d.CarrierList()->currentText(), "Auto-Detect");
    EXPECT_EQ(d.CarrierList()->count(), kCarrierCount);
    PressOk(d);
    EXPECT_EQ(d.focusWidget(), d.NameField());
    QTest::keyClicks(d.NameField(), "   ");
    QTest::keyClicks(d.NumberField(), "555123456");
    PressOk(d);
    EXPECT_EQ(d.focusWidget(), d.NumberField());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ui->MessageTexts(),
              (std::vector<std::string>{"Please enter a name for this contact",
                                        "Please enter a 10 digit phone number"}));
    EXPECT_EQ(AppSettings().AddressBook.size(), 2u);

    // Blanks pass the name check and leave an empty name; the number is kept as digits.
    QTest::keyClicks(d.NumberField(), "7");
    d.CarrierList()->setCurrentIndex(CarrierSprint);
    PressOk(d);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(AppSettings().AddressBook.front(), (CContact{"", "", "5551234567", CarrierSprint}));
    EXPECT_TRUE(SettingsSaved());
}

TEST_F(ContactDialogs, EditStartsFromTheEntryAndCancelChangesNothing) {
    CEditContactDlg d(dialog.get(), CContact{"Vera", "", "5550001234", CarrierVerizon}, 1);
    Own(d);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Edit Address Book Entry");
    EXPECT_EQ(d.NameField()->text(), "Vera");
    EXPECT_EQ(d.NameField()->cursorPosition(), 4);
    EXPECT_EQ(d.NumberField()->text(), "(555) 000-1234");
    EXPECT_EQ(d.CarrierList()->currentText(), "Verizon");

    const AddressBook before = AppSettings().AddressBook;
    d.NameField()->setText("Changed");
    QTest::keyClick(&d, Qt::Key_F1);  // swallowed
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(AppSettings().AddressBook, before);
    EXPECT_FALSE(SettingsSaved());
    EXPECT_TRUE(ui->MessageTexts().empty());
}
