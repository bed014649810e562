#pragma once
// A small JSON writer for the lab's inspection API: indented, keys in the order written.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lab {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    // UTF-8 text.
    JsonWriter& String(std::string_view utf8);
    // Windows-1252 bytes, as the gateways received them.
    JsonWriter& Text(std::string_view cp1252);
    JsonWriter& Number(std::int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // A key and its value in one call.
    JsonWriter& StringMember(std::string_view key, std::string_view utf8);
    JsonWriter& TextMember(std::string_view key, std::string_view cp1252);
    JsonWriter& NumberMember(std::string_view key, std::int64_t value);
    JsonWriter& BoolMember(std::string_view key, bool value);
    // null for an empty text.
    JsonWriter& OptionalTextMember(std::string_view key, std::string_view cp1252);

    // The document, ended with a line break.
    std::string Take();

private:
    void BeforeValue();
    void NewLine();
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);

    std::string m_out;
    std::vector<bool> m_empty;  // per open container: nothing written in it yet
    bool m_afterKey = false;
};

}  // namespace lab
