#include "carrier-lab/JsonWriter.h"

#include <cstdio>

#include "base/Text.h"

namespace lab {

void JsonWriter::NewLine() {
    m_out += '\n';
    m_out.append(m_empty.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back())
            m_out += ',';
        m_empty.back() = false;
        NewLine();
    }
}

JsonWriter& JsonWriter::Open(char bracket) {
    BeforeValue();
    m_out += bracket;
    m_empty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    bool empty = m_empty.back();
    m_empty.pop_back();
    if (!empty)
        NewLine();
    m_out += bracket;
    return *this;
}

JsonWriter& JsonWriter::BeginObject() {
    return Open('{');
}
JsonWriter& JsonWriter::EndObject() {
    return Close('}');
}
JsonWriter& JsonWriter::BeginArray() {
    return Open('[');
}
JsonWriter& JsonWriter::EndArray() {
    return Close(']');
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    String(key);
    m_out += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    m_out += '"';
    for (char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04X", c);
                    m_out += escape;
                } else {
                    m_out += ch;
                }
        }
    }
    m_out += '"';
    return *this;
}

JsonWriter& JsonWriter::Text(std::string_view cp1252) {
    return String(Cp1252ToUtf8(cp1252));
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
    BeforeValue();
    m_out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
    return *this;
}

JsonWriter& JsonWriter::StringMember(std::string_view key, std::string_view utf8) {
    return Key(key).String(utf8);
}

JsonWriter& JsonWriter::TextMember(std::string_view key, std::string_view cp1252) {
    return Key(key).Text(cp1252);
}

JsonWriter& JsonWriter::NumberMember(std::string_view key, std::int64_t value) {
    return Key(key).Number(value);
}

JsonWriter& JsonWriter::BoolMember(std::string_view key, bool value) {
    return Key(key).Bool(value);
}

JsonWriter& JsonWriter::OptionalTextMember(std::string_view key, std::string_view cp1252) {
    Key(key);
    return cp1252.empty() ? Null() : Text(cp1252);
}

std::string JsonWriter::Take() {
    m_out += '\n';
    return std::move(m_out);
}

}  // namespace lab
