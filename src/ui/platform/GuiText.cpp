#include "ui/platform/GuiText.h"

#include "base/Text.h"

QString ToQt(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}
