#include "ui/dialogs/NumberField.h"

#include <QLineEdit>

#include "contacts/PhoneNumbers.h"
#include "ui/platform/GuiText.h"

void AttachNumberFormatting(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
        const QString formatted = ToQt(LiveNumberText(FromQt(text)));
        if (formatted != text)
            field->setText(formatted);  // raises textChanged again, which then changes nothing
        field->end(false);
    });
}
