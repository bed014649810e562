#pragma once
// CPartPreviewLabel: the read-out beside the product caption: the message's length and the
// parts it goes out in, a warning for characters that cannot be sent, the details in its tooltip.

#include <QLabel>
#include <string>

#include "app/PartPreview.h"

class CPartPreviewLabel : public QLabel {
    Q_OBJECT

public:
    explicit CPartPreviewLabel(QWidget* parent);

    // The three texts as the send command takes them (program text), and as typed.
    void Show(const std::string& to, const std::string& from, const std::string& message,
              const QString& typed);

    // On a route that carries the text as typed: one count for every recipient, as the network
    // counts it.
    void ShowSms(const QString& typedMessage);

    // The address book changed: names and carriers are looked up again at the next Show.
    void ForgetAddressBook() { m_preview.ForgetAddressBook(); }

private:
    void Apply(const PreviewReadOut& readOut);
    void ApplyColour();

    CPartPreview m_preview;
    bool m_warning = false;
};
