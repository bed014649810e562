#pragma once
// Program text (Windows-1252 bytes) to and from Qt's strings.

#include <QString>
#include <string>
#include <string_view>

QString ToQt(std::string_view text);
std::string FromQt(const QString& text);
