#pragma once
// CRecipientField: the To field. Its list holds the recent recipient texts, most recent first,
// and the address-book names are offered under it as the user types.

#include <QObject>

class CAutoCompleteField;
class CPopupComboBox;

class CRecipientField : public QObject {
    Q_OBJECT

public:
    explicit CRecipientField(CPopupComboBox* to);

    CAutoCompleteField* Completion() const { return m_completion; }

    // Hooks the names in. Call after the window's own key filter is on the field, so that the
    // field sees Enter first and keeps it while its list shows.
    void AttachCompletion();
    // The recent recipients; the most recent is shown.
    void Fill();

private:
    CPopupComboBox* m_to;
    CAutoCompleteField* m_completion;
};
