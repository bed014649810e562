#include "ui/addressbook/AddressBookPanel.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleHints>
#include <QTreeView>
#include <algorithm>
#include <cmath>

#include "contacts/AddressBookEdits.h"
#include "contacts/PhoneNumbers.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"
#include "ui/addressbook/AddContactDlg.h"
#include "ui/addressbook/AddressBookIds.h"
#include "ui/addressbook/AddressBookModel.h"
#include "ui/addressbook/EditContactDlg.h"
#include "ui/addressbook/ImportAbookDlg.h"
#include "ui/completion/AutoCompleteField.h"
#include "ui/platform/GuiText.h"

namespace {

// Menu 143's commands.
constexpr int kAppendCommand = 32776;
constexpr int kImportCommand = 32775;

}  // namespace

CAddressBookPanel::CAddressBookPanel(QWidget* window, const AddressBookControls& controls)
    : QObject(window),
      m_window(window),
      m_controls(controls),
      m_viewport(controls.list->viewport()),
      m_model(new CAddressBookModel(AppSettings().AddressBook, this)) {
    QTreeView* list = m_controls.list;
    list->setModel(m_model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);  // rows are never measured one by one
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->installEventFilter(this);
    m_viewport->installEventFilter(this);

    connect(m_controls.newButton, &QPushButton::clicked, this, &CAddressBookPanel::OnNew);
    connect(m_controls.editButton, &QPushButton::clicked, this, &CAddressBookPanel::OnEdit);
    connect(m_controls.deleteButton, &QPushButton::clicked, this, &CAddressBookPanel::OnDelete);
    connect(m_controls.sendToButton, &QPushButton::clicked, this, &CAddressBookPanel::OnSendTo);
    connect(list, &QWidget::customContextMenuRequested, this, &CAddressBookPanel::ShowContextMenu);
    connect(m_controls.toggleButton, &QPushButton::clicked, this, [this] {
        if (AppSettings().PanelClosed == 1) {
            Open();
        } else {
            Close();
        }
    });
}

void CAddressBookPanel::Refresh() {
    AddressBook& book = AppSettings().AddressBook;
    SortAddressBook(book);
    m_model->Reset();
    CAutoCompleteField* completion = m_controls.completion;
    completion->SetSuggestionsStale([completion] {
        completion->ClearSuggestions();
        for (const CContact& c : AppSettings().AddressBook) completion->AddSuggestion(c.Name);
    });
    QTreeView* list = m_controls.list;
    const int nameWidth = NameColumnWidth(book.size());
    list->setColumnWidth(0, nameWidth);
    // The number column fills the rest of the list's width.
    list->setColumnWidth(1, list->maximumViewportSize().width() - nameWidth);
    emit Refreshed();
}

std::vector<int> CAddressBookPanel::SelectedRows() const {
    std::vector<int> rows;
    const QItemSelection selection = m_controls.list->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CAddressBookPanel::OnNew() {
    CAddContactDlg dialog(m_window);
    connect(&dialog, &CAddContactDlg::contactAdded, this, &CAddressBookPanel::AddContact);
    dialog.exec();
}

void CAddressBookPanel::OnEdit() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > 1) {
        ShowMessageBox("You cannot edit more than one entry at a time!");
        return;
    }
    const CContact entry = AppSettings().AddressBook[static_cast<std::size_t>(rows.front())];
    CEditContactDlg dialog(m_window, entry, rows.front());
    connect(&dialog, &CEditContactDlg::contactChanged, this, &CAddressBookPanel::ReplaceContact);
    dialog.exec();
}

void CAddressBookPanel::OnDelete() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > 1 &&
        ShowMessageBox("Are you sure you want to delete all of the selected entries?",
                       MbButtons::YesNo, MbIcon::Question) != MbResult::Yes) {
        return;
    }
    DeleteRows(rows);
}

void CAddressBookPanel::DeleteRows(const std::vector<int>& rows) {
    // Saved with the next settings save, not here.
    DeleteEntries(AppSettings().AddressBook, rows);
    Refresh();
}

void CAddressBookPanel::OnSendTo() {
    SetToText(JoinNames(AppSettings().AddressBook, SelectedRows()));
}

void CAddressBookPanel::OnAppendToRecipients() {
    const std::string to = FromQt(m_controls.to->currentText());
    SetToText(AppendNames(to, AppSettings().AddressBook, SelectedRows()));
}

void CAddressBookPanel::SetToText(const std::string& text) {
    m_controls.to->setEditText(ToQt(text));
}

void CAddressBookPanel::OnDoubleClick() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        OnNew();
        return;
    }
    SetToText(AppSettings().AddressBook[static_cast<std::size_t>(rows.front())].Name);
}

void CAddressBookPanel::ShowContextMenu(const QPoint& position) {
    QMenu menu(m_controls.list);
    NameControl(&menu, PanelIds::kMenu);
    menu.setFont(m_controls.list->font());
    QAction* append = menu.addAction(QStringLiteral("Append to Recipient List"));
    append->setData(kAppendCommand);
    QAction* import = menu.addAction(QStringLiteral("Import Contacts... (CSV)"));
    import->setData(kImportCommand);
    // The menu opens on the first press of a right double click and would swallow the second.
    m_rightDoubleClicked = false;
    menu.installEventFilter(this);
    QAction* chosen = menu.exec(m_controls.list->viewport()->mapToGlobal(position));
    if (chosen == append || (chosen == nullptr && m_rightDoubleClicked)) {
        OnAppendToRecipients();
    } else if (chosen == import) {
        OnImport();
    }
}

void CAddressBookPanel::OnImport() {
    if (const auto file = UiServices()->ChooseFileToOpen(kImportFilter)) {
        CImportAbookDlg dialog(m_window, *file);
        dialog.exec();
    }
    Refresh();
}

bool CAddressBookPanel::IsSecondRightPress(const QMouseEvent& press) const {
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF moved = press.globalPosition() - m_firstRightPress.at;
    return press.timestamp() - m_firstRightPress.time <=
               static_cast<quint64>(hints->mouseDoubleClickInterval()) &&
           std::abs(moved.x()) <= hints->mouseDoubleClickDistance() &&
           std::abs(moved.y()) <= hints->mouseDoubleClickDistance();
}

bool CAddressBookPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_controls.list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDelete();
        return false;  // the list still sees the key
    }
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    const auto* mouse = press || doubleClick ? static_cast<QMouseEvent*>(event) : nullptr;
    if (mouse && mouse->button() == Qt::RightButton && watched != m_viewport) {
        // The second press of a right double click, close to the first one, reaches the menu
        // that the first opened (as a double click): the menu goes and the names are appended.
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && IsSecondRightPress(*mouse)) {
            m_rightDoubleClicked = true;
            menu->close();
            return true;
        }
    }
    if (press && watched == m_viewport && mouse->button() == Qt::RightButton)
        m_firstRightPress = {mouse->timestamp(), mouse->globalPosition()};
    // Compared by the pointers kept: while the list is being destroyed it is no view any more.
    if (doubleClick && watched == m_viewport) {
        if (mouse->button() == Qt::RightButton) {
            OnAppendToRecipients();
        } else {
            OnDoubleClick();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CAddressBookPanel::ApplyStartup() {
    const CAppSettings& s = AppSettings();
    switch (s.AddressBookStartup) {
        case CAppSettings::StartupLastSetting:
            if (s.AddressBookLastSetting == 1) {
                Close();
            } else {
                Open();
            }
            break;
        case CAppSettings::StartupClosed:
            Close();
            break;
        case CAppSettings::StartupOpen:
            Open();
            break;
        default:
            break;  // a value from a damaged file: leave the panel as it is
    }
}

void CAddressBookPanel::Close() {
    CAppSettings& s = AppSettings();
    if (s.PanelClosed == 0) {
        m_window->setFixedWidth(m_window->width() - kWidth);
        s.PanelClosed = 1;
    }
    SetControlsEnabled(false);
}

void CAddressBookPanel::Open() {
    CAppSettings& s = AppSettings();
    if (s.PanelClosed == 1) {
        Refresh();
        m_window->setFixedWidth(m_window->width() + kWidth);
        s.PanelClosed = 0;
    }
    SetControlsEnabled(true);
}

void CAddressBookPanel::SetControlsEnabled(bool enabled) {
    const AddressBookControls& c = m_controls;
    for (QWidget* w : std::initializer_list<QWidget*>{c.list, c.newButton, c.editButton,
                                                      c.deleteButton, c.sendToButton}) {
        w->setEnabled(enabled);
    }
}

void CAddressBookPanel::AddContact(CContact contact) {
    contact.Number = NormalizeDigits(contact.Number);
    AppSettings().AddressBook.push_back(std::move(contact));
    Refresh();
    SaveSettings();
}

void CAddressBookPanel::ReplaceContact(int index, CContact contact) {
    AddressBook& book = AppSettings().AddressBook;
    if (index < 0 || static_cast<std::size_t>(index) >= book.size())
        return;
    contact.Number = NormalizeDigits(contact.Number);
    book[static_cast<std::size_t>(index)] = std::move(contact);
    Refresh();
    SaveSettings();
}
