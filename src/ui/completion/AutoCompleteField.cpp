#include "ui/completion/AutoCompleteField.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>
#include <utility>

#include "ui/completion/SuggestionList.h"
#include "ui/platform/ControlName.h"
#include "ui/platform/GuiText.h"

namespace {

struct KeyMove {
    int key;
    SelectionMove move;
    bool inCombo;  // a combo box keeps the others for its edit part
};

constexpr KeyMove kKeyMoves[] = {
    {Qt::Key_Up, SelectionMove::Up, true},
    {Qt::Key_Down, SelectionMove::Down, true},
    {Qt::Key_PageUp, SelectionMove::PageUp, false},
    {Qt::Key_PageDown, SelectionMove::PageDown, false},
    {Qt::Key_Home, SelectionMove::Home, false},
    {Qt::Key_End, SelectionMove::End, false},
};

std::optional<SelectionMove> MoveForKey(int key, bool combo) {
    for (const KeyMove& k : kKeyMoves) {
        if (k.key == key && (k.inCombo || !combo))
            return k.move;
    }
    return std::nullopt;
}

}  // namespace

CAutoCompleteField::CAutoCompleteField(QObject* parent) : QObject(parent) {}

void CAutoCompleteField::Attach(QWidget* control) {
    if (m_kind != Detached || control == nullptr)
        return;
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
        m_kind = ComboKind;
        m_combo = combo;
        m_edit = combo->lineEdit();
        // The list is this field's completion; the combo's own inline one would fight it.
        combo->setCompleter(nullptr);
        // Dropping the combo's own list down closes ours.
        combo->view()->window()->installEventFilter(this);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        m_kind = EditKind;
        m_edit = edit;
    } else {
        return;
    }
    m_control = control;
    m_list = new CSuggestionList(control);
    connect(m_list, &CSuggestionList::rowChosen, this, &CAutoCompleteField::TakeSelection);
    m_list->Attach(control->font());
    control->installEventFilter(this);
    if (m_edit != control)
        m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, &CAutoCompleteField::OnEditChange);
}

void CAutoCompleteField::AddSuggestion(std::string name) {
    if (m_list)
        m_list->AddSuggestion(std::move(name));
}

void CAutoCompleteField::ClearSuggestions() {
    m_refill = nullptr;
    if (m_list)
        m_list->ClearSuggestions();
}

void CAutoCompleteField::SetSuggestionsStale(std::function<void()> refill) {
    m_refill = std::move(refill);
}

int CAutoCompleteField::GetCount() const {
    return m_combo ? m_combo->count() : -1;
}

int CAutoCompleteField::SetCurSel(int index) {
    if (!m_combo)
        return -1;
    m_combo->setCurrentIndex(index);
    return m_combo->currentIndex();
}

int CAutoCompleteField::DeleteString(int index) {
    if (!m_combo || index < 0 || index >= m_combo->count())
        return -1;
    m_combo->removeItem(index);
    return m_combo->count();
}

int CAutoCompleteField::InsertString(int index, const QString& text) {
    if (!m_combo)
        return -1;
    const int at = index < 0 || index > m_combo->count() ? m_combo->count() : index;
    m_combo->insertItem(at, text);
    return at;
}

int CAutoCompleteField::ControlId() const {
    return ControlIdOf(m_control);
}

void CAutoCompleteField::OnEditChange() {
    if (m_updating || m_kind == Detached)
        return;
    m_text = FromQt(m_edit->text());
    if (m_refill)
        std::exchange(m_refill, nullptr)();
    m_list->Filter(m_text);
    emit Notify(kTextChanged, ControlId());
}

void CAutoCompleteField::TakeSelection() {
    if (m_kind == Detached)
        return;
    m_updating = true;
    m_edit->setText(ToQt(m_list->TextToCopy()));
    m_edit->end(false);
    m_edit->setModified(true);
    m_updating = false;
    emit Notify(kSuggestionCopied, ControlId());
}

bool CAutoCompleteField::OnKeyDown(const QKeyEvent& key) {
    if (!m_list->isVisible())
        return false;  // Enter then reaches the window: the send command
    const int code = key.key();
    if (code == Qt::Key_Return || code == Qt::Key_Enter || code == Qt::Key_Escape) {
        m_list->HideList();
        return true;
    }
    const auto move = MoveForKey(code, m_kind == ComboKind);
    if (!move)
        return false;
    m_list->MoveSelection(*move);
    TakeSelection();
    return true;
}

bool CAutoCompleteField::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            // A key the field passes on may travel from the edit part to the combo box; it is
            // passed on there too, so no key is handled twice.
            if (watched == m_control || watched == m_edit)
                return OnKeyDown(static_cast<QKeyEvent&>(*event));
            break;
        case QEvent::FocusOut:
            if (watched == m_control || watched == m_edit)
                m_list->HideList();
            break;
        case QEvent::Show:
            if (watched != m_control && watched != m_edit)
                m_list->HideList();  // the combo's own drop-down
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
