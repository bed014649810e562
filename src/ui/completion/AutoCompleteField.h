#pragma once
// CAutoCompleteField: wraps the To combo box (or a plain line edit) so that typing in it offers
// matching address-book names in a CSuggestionList below it. The keys that work the list are
// taken while it shows; Enter and Escape then only close it, so the first Enter closes the list
// and only the next one reaches the window.

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "app/SuggestionRows.h"

class CSuggestionList;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QWidget;

class CAutoCompleteField : public QObject {
    Q_OBJECT

public:
    // What the wrapped control is.
    enum Kind { Detached = -1, EditKind = 1, ComboKind = 2 };
    // The codes of the notification the field sends (with its control's identifier).
    static constexpr int kSuggestionCopied = 0x100;
    static constexpr int kTextChanged = 0x400;

    explicit CAutoCompleteField(QObject* parent = nullptr);

    // Wraps `control` once: a QComboBox with an edit part, or a QLineEdit. Anything else stays
    // detached, and then every operation does nothing.
    void Attach(QWidget* control);

    int Kind() const { return m_kind; }
    CSuggestionList* List() const { return m_list; }

    void AddSuggestion(std::string name);
    void ClearSuggestions();
    // Defers the names to the next keystroke: `refill` then replaces them. A large address
    // book is refreshed often and typed into seldom.
    void SetSuggestionsStale(std::function<void()> refill);

    // The combo box's item operations; -1 unless the field wraps a combo box.
    int GetCount() const;
    int SetCurSel(int index);
    int DeleteString(int index);
    int InsertString(int index, const QString& text);

    // Copies the list's selection (or its first row) into the field, caret at the end.
    void TakeSelection();

signals:
    // kTextChanged after the user changed the text, kSuggestionCopied after a suggestion was
    // copied in. The main window has no use for it; other windows may.
    void Notify(int code, int controlId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnEditChange();
    bool OnKeyDown(const QKeyEvent& key);
    int ControlId() const;

    QWidget* m_control = nullptr;
    QComboBox* m_combo = nullptr;
    QLineEdit* m_edit = nullptr;  // the text part: the line edit itself, or the combo's
    CSuggestionList* m_list = nullptr;
    int m_kind = Detached;
    std::string m_text;       // what the field held when the user last typed
    bool m_updating = false;  // set while the field writes its own text
    // Names pending until the next keystroke.
    std::function<void()> m_refill;
};
