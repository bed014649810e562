#include "ui/main/SenderField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

#include "app/SendCommand.h"
#include "base/Text.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "ui/dialogs/OptionsDlg.h"
#include "ui/main/PopupComboBox.h"
#include "ui/platform/GuiText.h"

namespace {

bool DetailsSet() {
    return MyInfoText(AppSettings()) != kMyInfoPrompt;
}

}  // namespace

CSenderField::CSenderField(CPopupComboBox* from, QWidget* window)
    : QObject(window), m_from(from), m_window(window) {
    m_from->beforePopup = [this] { Fill(); };
    connect(m_from, QOverload<int>::of(&QComboBox::activated), this,
            &CSenderField::OnSelectionChange);
}

void CSenderField::Fill() {
    const QString editText = m_from->currentText();
    m_from->clear();
    for (const std::string& text : AppSettings().RecentFrom) m_from->addItem(ToQt(text));
    m_from->addItem(ToQt(MyInfoText(AppSettings())));
    m_from->setCurrentIndex(-1);
    m_from->setEditText(editText);
}

void CSenderField::SelectInitial() {
    const CAppSettings& s = AppSettings();
    if (s.MyInfoSelectedInRecentFromList == 1) {
        SelectMyInfoEntry();
    } else if (!s.RecentFrom.empty()) {
        m_from->setCurrentIndex(0);
    }
}

bool CSenderField::MyInfoEntrySelected() const {
    return m_from->count() > 0 && m_from->currentIndex() == m_from->count() - 1;
}

void CSenderField::SelectMyInfoEntry() {
    if (m_from->count() > 0)
        m_from->setCurrentIndex(m_from->count() - 1);
}

void CSenderField::ClearChoice() {
    m_from->setCurrentIndex(-1);
    m_from->clearEditText();
}

void CSenderField::OnSelectionChange(int index) {
    if (index != m_from->count() - 1 || m_from->itemText(index) != ToQt(kMyInfoPrompt))
        return;
    if (ShowMessageBox("Would you like to set up MyInfo?", MbButtons::YesNo, MbIcon::Question) ==
        MbResult::Yes) {
        OpenOptions();
    } else {
        ClearChoice();
    }
}

void CSenderField::OnFocusLost() {
    const std::string typed = UpperCase(FromQt(m_from->currentText()));
    if (typed == "MYINFO" && DetailsSet()) {
        SelectMyInfoEntry();
    } else if (typed == "MYINFO...") {
        SelectMyInfoEntry();
        OpenOptions();
    }
}

void CSenderField::OpenOptions() {
    bool changed = false;
    {
        COptionsDlg options(m_window);
        connect(&options, &COptionsDlg::optionsChanged, this, [&changed] { changed = true; });
        connect(&options, &COptionsDlg::routeChanged, this, &CSenderField::routeChanged);
        options.exec();
    }
    if (!MyInfoEntrySelected())
        return;
    if (changed && DetailsSet()) {
        Fill();
        SelectMyInfoEntry();
    } else if (!DetailsSet()) {
        ClearChoice();
    }
}

void CSenderField::OnFocusOut(const QFocusEvent& event) {
    const QWidget* next = QApplication::focusWidget();
    const bool staysInside = next == m_from || next == m_from->lineEdit();
    // Another window taking the focus (a message box, the options) is not leaving the field:
    // the focus comes back to it.
    const Qt::FocusReason reason = event.reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !staysInside)
        OnFocusLost();
}
