#include "base/JsonValue.h"

#include <cstdint>

#include "base/Text.h"

// The recursive-descent reader behind CJsonValue::Parse: one pass, no exceptions, bounded depth.
class JsonParser {
public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<CJsonValue> Document() {
        CJsonValue value;
        if (!Value(value, 0))
            return std::nullopt;
        SkipSpace();
        if (m_pos != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    bool Value(CJsonValue& out, std::size_t depth) {
        if (depth >= CJsonValue::kMaxDepth)
            return false;
        SkipSpace();
        if (m_pos >= m_text.size())
            return false;
        switch (m_text[m_pos]) {
            case '{':
                return ObjectValue(out, depth);
            case '[':
                return ArrayValue(out, depth);
            case '"':
                out.m_kind = CJsonValue::String;
                return StringText(out.m_scalar);
            case 't':
                return Word("true", CJsonValue::Bool, out);
            case 'f':
                return Word("false", CJsonValue::Bool, out);
            case 'n':
                return Word("null", CJsonValue::Null, out);
            default:
                return NumberValue(out);
        }
    }

    bool ObjectValue(CJsonValue& out, std::size_t depth) {
        out.m_kind = CJsonValue::Object;
        ++m_pos;
        if (Take('}'))
            return true;
        do {
            SkipSpace();
            std::string name;
            if (m_pos >= m_text.size() || m_text[m_pos] != '"' || !StringText(name) || !Take(':'))
                return false;
            out.m_names.push_back(std::move(name));
            if (!Value(out.m_items.emplace_back(), depth + 1))
                return false;
        } while (Take(','));
        return Take('}');
    }

    bool ArrayValue(CJsonValue& out, std::size_t depth) {
        out.m_kind = CJsonValue::Array;
        ++m_pos;
        if (Take(']'))
            return true;
        do {
            if (!Value(out.m_items.emplace_back(), depth + 1))
                return false;
        } while (Take(','));
        return Take(']');
    }

    bool Word(std::string_view word, CJsonValue::Kind kind, CJsonValue& out) {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        out.m_kind = kind;
        if (kind == CJsonValue::Bool)
            out.m_scalar = word;
        return true;
    }

    static bool Digit(char c) { return c >= '0' && c <= '9'; }

    std::size_t Digits() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && Digit(m_text[m_pos])) ++m_pos;
        return m_pos - start;
    }

    bool NumberValue(CJsonValue& out) {
        const std::size_t start = m_pos;
        Take('-', false);
        if (m_pos < m_text.size() && m_text[m_pos] == '0')
            ++m_pos;
        else if (Digits() == 0)
            return false;
        if (Take('.', false) && Digits() == 0)
            return false;
        if (Take('e', false) || Take('E', false)) {
            if (!Take('+', false))
                Take('-', false);
            if (Digits() == 0)
                return false;
        }
        out.m_kind = CJsonValue::Number;
        out.m_scalar = m_text.substr(start, m_pos - start);
        return true;
    }

    bool Hex4(std::uint32_t& value) {
        if (m_text.size() - m_pos < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            const int digit = Digit(c)                 ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        return true;
    }

    // A \u escape, a surrogate pair taken whole; a lone surrogate is not text.
    bool Unicode(std::string& out) {
        std::uint32_t code = 0;
        if (!Hex4(code) || (code >= 0xDC00 && code <= 0xDFFF))
            return false;
        if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (m_text.substr(m_pos, 2) != "\\u")
                return false;
            m_pos += 2;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, static_cast<char32_t>(code));
        return true;
    }

    bool Escape(std::string& out) {
        if (m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos++];
        static constexpr std::string_view kFrom = "\"\\/bfnrt";
        static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
        if (c == 'u')
            return Unicode(out);
        const std::size_t at = kFrom.find(c);
        if (at == std::string_view::npos)
            return false;
        out += kTo[at];
        return true;
    }

    bool StringText(std::string& out) {
        ++m_pos;  // the opening quote
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\')
                out += c;
            else if (!Escape(out))
                return false;
        }
        return false;
    }

    void SkipSpace() {
        while (m_pos < m_text.size() &&
               std::string_view(" \t\n\r").find(m_text[m_pos]) != std::string_view::npos)
            ++m_pos;
    }

    // Takes `c` when it comes next (after white space, unless `space` is false).
    bool Take(char c, bool space = true) {
        if (space)
            SkipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::optional<CJsonValue> CJsonValue::Parse(std::string_view text) {
    if (text.size() > kMaxSize)
        return std::nullopt;
    return JsonParser(text).Document();
}

const CJsonValue* CJsonValue::Member(std::string_view name) const noexcept {
    if (m_kind != Object)
        return nullptr;
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name)
            return &m_items[i];
    }
    return nullptr;
}

const CJsonValue* CJsonValue::Find(std::string_view path) const noexcept {
    const CJsonValue* value = this;
    while (value) {
        const std::size_t dot = path.find('.');
        value = value->Member(path.substr(0, dot));
        if (dot == std::string_view::npos)
            return value;
        path.remove_prefix(dot + 1);
    }
    return nullptr;
}

std::string CJsonValue::ScalarAt(std::string_view path) const {
    const CJsonValue* value = Find(path);
    if (!value || (value->m_kind != String && value->m_kind != Number))
        return {};
    return value->m_scalar;
}

std::string JsonQuoted(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}
