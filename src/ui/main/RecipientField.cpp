#include "ui/main/RecipientField.h"

#include "storage/AppSettings.h"
#include "ui/completion/AutoCompleteField.h"
#include "ui/main/PopupComboBox.h"
#include "ui/platform/GuiText.h"

CRecipientField::CRecipientField(CPopupComboBox* to)
    : QObject(to), m_to(to), m_completion(new CAutoCompleteField(to)) {}

void CRecipientField::AttachCompletion() {
    m_completion->Attach(m_to);
}

void CRecipientField::Fill() {
    m_to->clear();
    for (const std::string& text : AppSettings().RecentTo) m_to->addItem(ToQt(text));
    if (m_to->count() > 0)
        m_to->setCurrentIndex(0);
}
