#include "ui/main/PartPreviewLabel.h"

#include "app/SmsPreview.h"
#include "base/Unsendable.h"
#include "storage/AppSettings.h"

CPartPreviewLabel::CPartPreviewLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setAccessibleName(QStringLiteral("Message cost"));
    ApplyColour();
}

void CPartPreviewLabel::ApplyColour() {
    // Quiet like the caption beside it; a warning in red. The palette, not a style sheet, so
    // the tooltip keeps its own colours.
    QPalette colours = parentWidget() ? parentWidget()->palette() : palette();
    const QColor quiet = colours.color(QPalette::Active, QPalette::PlaceholderText);
    colours.setColor(QPalette::WindowText, m_warning ? QColor(0xB0, 0x00, 0x20) : quiet);
    setPalette(colours);
}

void CPartPreviewLabel::Show(const std::string& to, const std::string& from,
                             const std::string& message, const QString& typed) {
    Apply(MakePreviewReadOut(m_preview.Update(AppSettings(), to, from, message),
                             FindUnsendable(typed.toStdString())));
}

void CPartPreviewLabel::ShowSms(const QString& typedMessage) {
    Apply(MakeSmsReadOut(typedMessage.toStdString()));
}

void CPartPreviewLabel::Apply(const PreviewReadOut& readOut) {
    setText(QString::fromStdString(readOut.text));
    const QString details = QString::fromStdString(readOut.toolTip);
    setToolTip(details);
    setAccessibleDescription(details);
    if (readOut.warning != m_warning) {
        m_warning = readOut.warning;
        ApplyColour();
    }
}
