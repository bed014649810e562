#pragma once
// The main window opened with its address-book panel, plus what the panel's tests do with it:
// select rows with the mouse, answer the modal dialog or menu that an action opens.

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "ui/MainWindowFixture.h"
#include "ui/platform/GuiText.h"

class AddressBookTest : public MainWindowTest {
protected:
    // Opens the window, panel open, on a book of contacts named `names` (numbers 555000000i).
    CMainDlg& OpenWith(const std::vector<std::string>& names) {
        AppSettings().AddressBookStartup = CAppSettings::StartupOpen;
        AppSettings().AddressBook.clear();
        for (std::size_t i = 0; i < names.size(); ++i) {
            AppSettings().AddressBook.push_back(
                {names[i], "", "555000000" + std::to_string(i % 10), CarrierAutoDetect});
        }
        return Open();
    }

    QTreeView* List() const { return dialog->AddressList(); }

    std::vector<std::string> BookNames() const {
        std::vector<std::string> names;
        for (const CContact& c : AppSettings().AddressBook) names.push_back(c.Name);
        return names;
    }

    QPoint RowCentre(int row) const {
        return List()->visualRect(List()->model()->index(row, 0)).center();
    }

    // Ctrl+clicks each row, as a user picks several.
    void Select(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int row : rows)
            QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              RowCentre(row));
    }

    // Runs `act` on the modal dialog of type D that the next action opens; `opened` tells
    // whether one did. Polls, since sending input may run the event loop before the dialog.
    template <class D>
    void WhenDialogOpens(std::function<void(D&)> act) {
        opened = false;
        WhenShown(
            [act](QWidget* w) {
                auto* d = qobject_cast<D*>(w);
                if (d)
                    act(*d);
                return d != nullptr;
            },
            &QApplication::activeModalWidget, m_dialogPoll);
    }

    // Polls for the window `find` gives until `act` takes it; an earlier poll in the same slot
    // that saw nothing ends here.
    void WhenShown(std::function<bool(QWidget*)> act, QWidget* (*find)(), QPointer<QTimer>& slot) {
        if (slot) {
            slot->stop();
            slot->deleteLater();
        }
        auto* poll = new QTimer(dialog.get());
        slot = poll;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        QObject::connect(poll, &QTimer::timeout, [this, poll, act, find, deadline] {
            QWidget* w = find();
            if (w && act(w)) {
                if (find == &QApplication::activeModalWidget)
                    opened = true;
            } else if (std::chrono::steady_clock::now() < deadline) {
                return;
            }
            poll->stop();
            poll->deleteLater();
        });
        poll->start(5);
    }

    // Right-clicks `row` and picks the menu item `item`; the items shown land in menuItems.
    void ChooseFromContextMenu(int row, const QString& item) {
        menuItems.clear();
        WhenShown(
            [this, item](QWidget* w) {
                auto* menu = qobject_cast<QMenu*>(w);
                if (!menu)
                    return false;
                for (QAction* a : menu->actions()) {
                    menuItems << a->text();
                    if (a->text() == item)
                        menu->setActiveAction(a);
                }
                QTest::keyClick(menu, Qt::Key_Return);
                return true;
            },
            &QApplication::activePopupWidget, m_menuPoll);
        QTest::mouseClick(List()->viewport(), Qt::RightButton, {}, RowCentre(row));
        QContextMenuEvent event(QContextMenuEvent::Mouse, RowCentre(row),
                                List()->viewport()->mapToGlobal(RowCentre(row)));
        QApplication::sendEvent(List()->viewport(), &event);
    }

    // A right double click on the list as the window system delivers it: the first press opens
    // the context menu, whose loop then receives the release and the second press.
    void RightDoubleClick(QPoint at) {
        QWidget* window = dialog.get();
        const QPointF local = List()->viewport()->mapTo(window, at);
        const QPointF global = List()->viewport()->mapToGlobal(at);
        auto time = std::make_shared<int>(QTest::lastMouseTimestamp += 1000);
        auto send = [window, local, global, time](QEvent::Type type, Qt::MouseButtons state) {
            qt_handleMouseEvent(window->windowHandle(), local, global, state, Qt::RightButton, type,
                                {}, *time += 20);
        };
        WhenShown(
            [send](QWidget* menu) {
                send(QEvent::MouseButtonRelease, {});
                send(QEvent::MouseButtonPress, Qt::RightButton);
                send(QEvent::MouseButtonRelease, {});
                if (QApplication::activePopupWidget() == menu) {
                    ADD_FAILURE() << "the second press did not reach the list";
                    menu->close();
                }
                return true;
            },
            &QApplication::activePopupWidget, m_menuPoll);
        send(QEvent::MouseButtonPress, Qt::RightButton);
        QTest::lastMouseTimestamp = *time + 1000;
    }

    QString ToText() const { return dialog->ToField()->currentText(); }
    bool SettingsSaved() const { return std::filesystem::exists(dir.path() / "Quillo.bin"); }

    bool opened = false;
    QStringList menuItems;

private:
    QPointer<QTimer> m_dialogPoll;
    QPointer<QTimer> m_menuPoll;
};
