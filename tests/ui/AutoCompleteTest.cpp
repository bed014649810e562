// The To field's suggestion list: typing, keys, mouse, hiding and drawing, on real widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ui/MainWindowFixture.h"
#include "ui/addressbook/AddressBookPanel.h"
#include "ui/completion/AutoCompleteField.h"
#include "ui/completion/SuggestionList.h"
#include "ui/main/MainWindowIds.h"
#include "ui/platform/GuiText.h"

namespace {

constexpr int kDeadlineMs = 3000;

QStringList Shown(const CSuggestionList& list) {
    QStringList names;
    for (int row = 0; row < list.Rows().Count(); ++row) names << ToQt(list.Match(row));
    return names;
}

class AutoComplete : public MainWindowTest {
protected:
    // Opens the window with these contacts and the focus in an empty To field.
    void OpenWith(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            AppSettings().AddressBook.push_back({name, "", "5550000001", 0});
        Open();
        To()->setFocus();
        To()->clearEditText();
        ASSERT_TRUE(QTest::qWaitFor([&] { return To()->hasFocus(); }, kDeadlineMs));
    }

    QComboBox* To() { return dialog->ToField(); }
    QLineEdit* Edit() { return To()->lineEdit(); }
    CSuggestionList& List() { return *dialog->ToCompletion()->List(); }
    // Keys go where the user's keys go: to the widget with the focus.
    void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    void Retype(const QString& text) {
        Edit()->clear();
        Type(text);
    }
    QPoint FieldBottomLeft() { return To()->mapToGlobal(QPoint(0, To()->height())); }
};

// Twelve names that begin with "N" and three that begin with "O".
std::vector<std::string> TwelveAndThree() {
    std::vector<std::string> names;
    for (int i = 12; i >= 1; --i) names.push_back("Name " + std::to_string(100 + i));
    for (const char* name : {"Olga", "Oscar", "Otto"}) names.emplace_back(name);
    return names;
}

}  // namespace

TEST_F(AutoComplete, TypingOffersTheNamesThatBeginWithTheTextSortedWithoutCase) {
    OpenWith({"Bob", "bill", "Abe", "\xC9lise"});
    QSignalSpy notes(dialog->ToCompletion(), &CAutoCompleteField::Notify);
    Type("b");
    EXPECT_TRUE(List().isVisible());
    EXPECT_EQ(Shown(List()), (QStringList{"bill", "Bob"}));  // not Abe: only the start counts
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0], (QList<QVariant>{CAutoCompleteField::kTextChanged, MainWindowIds::kTo.id}));
    EXPECT_TRUE(To()->hasFocus());

    Type("O");
    EXPECT_EQ(Shown(List()), (QStringList{"Bob"}));
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_FALSE(List().isVisible());  // the empty text offers nothing
    Type("z");
    EXPECT_FALSE(List().isVisible());
    Edit()->clear();  // the code page's own upper case: e acute
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Eacute,
                        QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
    EXPECT_EQ(Shown(List()), (QStringList{QString::fromUtf8("\xC3\x89lise")}));

    // A refreshed address book replaces the suggestions.
    dialog->Panel()->AddContact(CContact{"Bea", "", "5550000009", 0});
    To()->setFocus();
    Retype("b");
    EXPECT_EQ(Shown(List()), (QStringList{"Bea", "bill", "Bob"}));
}

TEST_F(AutoComplete, TheListSitsUnderTheFieldAtMostEightRowsHigh) {
    OpenWith(TwelveAndThree());
    struct Case {
        const char* typed;
        int rows;
        bool scrolls;
    } cases[] = {{"n", 8, true}, {"o", 3, false}};
    for (const Case& c : cases) {
        Retype(c.typed);
        ASSERT_TRUE(List().isVisible()) << c.typed;
        EXPECT_EQ(List().height(), c.rows * List().RowHeight() + 2) << c.typed;
        EXPECT_EQ(List().ScrollBar()->isVisible(), c.scrolls) << c.typed;
        EXPECT_EQ(List().geometry().topLeft(), FieldBottomLeft());
        EXPECT_EQ(List().width(), To()->width());
    }
}

TEST_F(AutoComplete, KeysMoveTheSelectionWrapAndCopyItIntoTheField) {
    OpenWith(TwelveAndThree());
    QSignalSpy notes(dialog->ToCompletion(), &CAutoCompleteField::Notify);
    Type("o");
    Key(Qt::Key_Down);  // nothing selected: the first row
    EXPECT_EQ(List().Rows().Selected(), 0);
    EXPECT_EQ(Edit()->text(), "Olga");
    EXPECT_EQ(Edit()->cursorPosition(), 4);
    EXPECT_TRUE(Edit()->isModified());
    EXPECT_EQ(notes.last(),
              (QList<QVariant>{CAutoCompleteField::kSuggestionCopied, MainWindowIds::kTo.id}));
    Key(Qt::Key_Up);  // from the first row to the last
    EXPECT_EQ(Edit()->text(), "Otto");
    Key(Qt::Key_Down);
    EXPECT_EQ(Edit()->text(), "Olga");
    // The copy is not typing: the list still offers all three.
    EXPECT_EQ(List().Rows().Count(), 3);
    EXPECT_TRUE(List().isVisible());
    Key(Qt::Key_Home);  // a combo box leaves Home to its edit part
    EXPECT_EQ(List().Rows().Selected(), 0);
    EXPECT_EQ(Edit()->cursorPosition(), 0);

    // Up with nothing selected takes the last of twelve, which scrolls into view step by step.
    Retype("n");
    Key(Qt::Key_Up);
    EXPECT_EQ(Edit()->text(), "Name 112");
    EXPECT_TRUE(QTest::qWaitFor([&] { return List().Rows().Top() == 4; }, kDeadlineMs));
    EXPECT_EQ(List().ScrollBar()->value(), 4);
    Key(Qt::Key_Down);  // past the last row: back to the first
    EXPECT_TRUE(QTest::qWaitFor([&] { return List().Rows().Top() == 0; }, kDeadlineMs));
    EXPECT_EQ(Edit()->text(), "Name 101");
}

TEST_F(AutoComplete, EnterAndEscapeOnlyCloseTheListAndTheNextEnterSends) {
    OpenWith({"Bob"});
    dialog->FromList()->setEditText("Dana");
    ASSERT_EQ(AppSettings().SendOnEnter, 1);
    To()->setFocus();
    Type("b");
    ASSERT_TRUE(List().isVisible());
    Key(Qt::Key_Return);
    EXPECT_FALSE(List().isVisible());
    EXPECT_TRUE(ui->MessageTexts().empty());  // the send command did not run
    Key(Qt::Key_Return);
    EXPECT_EQ(ui->MessageTexts(), (std::vector<std::string>{"There is no message to send!"}));

    Retype("b");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(List().isVisible());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Edit()->text(), "b");
}

TEST_F(AutoComplete, TheListHidesOnFocusLossTheCombosDropDownARightClickAndAMovedWindow) {
    AppSettings().RecentTo = {"5551234567"};  // an empty combo box does not drop down
    OpenWith({"Bob", "Bill"});
    Type("b");
    dialog->MessageField()->setFocus();
    EXPECT_FALSE(List().isVisible());

    To()->setFocus();
    Retype("b");
    To()->showPopup();
    EXPECT_FALSE(List().isVisible());
    To()->hidePopup();

    To()->setFocus();
    Retype("b");
    QTest::mouseClick(&List(), Qt::RightButton, {}, List().RowRect(0).center());
    EXPECT_FALSE(List().isVisible());

    // The watch notices a moved window within its interval.
    Retype("b");
    Key(Qt::Key_Down);
    dialog->move(dialog->pos() + QPoint(15, 10));
    EXPECT_TRUE(List().isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !List().isVisible(); }, kDeadlineMs));
    EXPECT_EQ(List().Rows().Selected(), -1);  // hiding forgets the selection
    EXPECT_EQ(List().Rows().Top(), 0);
}

TEST_F(AutoComplete, HoverSelectsAndAClickCopiesTheRowThenHidesAfterAPause) {
    OpenWith({"Ann", "Anna", "Annie"});
    Type("an");
    // Sent to the list itself: the offscreen cursor finds the window under it without regard
    // to stacking, and the list lies over the main window.
    const QPoint over = List().RowRect(1).center();
    QMouseEvent hover(QEvent::MouseMove, over, List().mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&List(), &hover);
    EXPECT_EQ(List().Rows().Selected(), 1);
    EXPECT_EQ(Edit()->text(), "an");  // hovering copies nothing

    QTest::mouseClick(&List(), Qt::LeftButton, {}, List().RowRect(2).center());
    EXPECT_EQ(Edit()->text(), "Annie");
    EXPECT_TRUE(List().isVisible());  // shown a moment with the choice highlighted
    EXPECT_EQ(List().Rows().Selected(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !List().isVisible(); }, kDeadlineMs));
    EXPECT_TRUE(To()->hasFocus());
}

TEST_F(AutoComplete, TheGripResizesTheListNoSmallerThanItsMinimumAndTheSizeStays) {
    OpenWith(TwelveAndThree());
    Type("n");
    CSuggestionList& list = List();
    const QSize before = list.size();
    const QPoint grip = list.GripRect().center();
    QTest::mousePress(&list, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&list, grip + QPoint(40, 30));
    QTest::mouseRelease(&list, Qt::LeftButton, {}, grip + QPoint(40, 30));
    EXPECT_EQ(list.size(), before + QSize(40, 30));
    EXPECT_EQ(list.Rows().RowsPerPage(), (list.height() - 2) / list.RowHeight());

    Key(Qt::Key_Escape);
    Retype("o");  // three matches, yet the size the user gave
    EXPECT_EQ(list.size(), before + QSize(40, 30));
    EXPECT_EQ(list.geometry().topLeft(), FieldBottomLeft());

    Retype("n");
    const QPoint bigGrip = list.GripRect().center();
    QTest::mousePress(&list, Qt::LeftButton, {}, bigGrip);
    QTest::mouseMove(&list, bigGrip - QPoint(400, 400));
    QTest::mouseRelease(&list, Qt::LeftButton, {}, bigGrip - QPoint(400, 400));
    EXPECT_EQ(list.size(), list.MinimumTrackSize());
    EXPECT_EQ(list.width(), To()->width());
    EXPECT_LT(list.height(), before.height());
    EXPECT_TRUE(list.ScrollBar()->isVisible());
}

TEST_F(AutoComplete, TheListDrawsWithThePaletteColoursInsideAOnePixelFrame) {
    OpenWith({"Ann", "Anna"});
    QPalette colours = List().palette();
    colours.setColor(QPalette::Base, QColor(20, 20, 20));
    colours.setColor(QPalette::Text, QColor(230, 230, 230));
    colours.setColor(QPalette::Highlight, QColor(200, 0, 0));
    colours.setColor(QPalette::HighlightedText, QColor(0, 0, 200));
    List().setPalette(colours);
    Type("a");
    Key(Qt::Key_Down);
    const QImage image = List().grab().toImage();
    const QRect selected = List().RowRect(0), plain = List().RowRect(1);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(230, 230, 230));  // frame
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() / 2), QColor(230, 230, 230));
    EXPECT_EQ(image.pixelColor(selected.left(), selected.center().y()), QColor(200, 0, 0));
    EXPECT_EQ(image.pixelColor(plain.right() - 30, plain.center().y()), QColor(20, 20, 20));
}

TEST_F(AutoComplete, APlainLineEditTakesThePageKeysAndOtherControlsStayDetached) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* button = new QPushButton(&window);
    CAutoCompleteField field(&window), detached(&window);
    field.Attach(edit);
    detached.Attach(button);
    EXPECT_EQ(field.Kind(), CAutoCompleteField::EditKind);
    EXPECT_EQ(detached.Kind(), CAutoCompleteField::Detached);
    EXPECT_EQ(detached.List(), nullptr);
    detached.AddSuggestion("ignored");
    EXPECT_EQ(field.GetCount(), -1);  // item operations belong to a combo box
    EXPECT_EQ(field.InsertString(0, "x"), -1);
    for (int i = 20; i >= 1; --i) field.AddSuggestion("Item " + std::to_string(100 + i));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    edit->setFocus();
    QTest::keyClicks(edit, "i");
    ASSERT_TRUE(field.List()->isVisible());
    struct Step {
        Qt::Key key;
        const char* text;
    } steps[] = {{Qt::Key_PageDown, "Item 108"},
                 {Qt::Key_End, "Item 120"},
                 {Qt::Key_Home, "Item 101"},
                 {Qt::Key_PageUp, "Item 101"}};
    for (const Step& s : steps) {
        QTest::keyClick(edit, s.key);
        EXPECT_EQ(edit->text(), s.text) << s.key;
    }

    // The To field's own item operations.
    OpenWith({});
    CAutoCompleteField& to = *dialog->ToCompletion();
    EXPECT_EQ(to.Kind(), CAutoCompleteField::ComboKind);
    EXPECT_EQ(to.InsertString(0, "5551234567"), 0);
    EXPECT_EQ(to.InsertString(1, "Bob"), 1);
    EXPECT_EQ(to.SetCurSel(1), 1);
    EXPECT_EQ(To()->currentText(), "Bob");
    EXPECT_EQ(to.DeleteString(0), 1);
    EXPECT_EQ(to.GetCount(), 1);
    EXPECT_EQ(to.DeleteString(5), -1);
}
