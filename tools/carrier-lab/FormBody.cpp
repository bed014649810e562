#include "carrier-lab/FormBody.h"

#include <algorithm>
#include <charconv>

#include "base/Text.h"

namespace lab {

namespace {

bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
}

std::string Hex(unsigned char c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {'%', kDigits[c >> 4], kDigits[c & 0xF]};
}

// Decodes one name or value; `what` names it in the reason.
std::string Decode(std::string_view text, const std::string& what) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (IsPlain(c)) {
            out += static_cast<char>(c);
        } else if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            const bool complete = i + 2 < text.size();
            const int decoded = complete ? DecodeHexPair(text[i + 1], text[i + 2], true) : -1;
            if (decoded < 0) {
                throw ProtocolError(what + ": \"%\" not followed by two upper-case hex digits (" +
                                    Quoted(text.substr(i, 3)) + ")");
            }
            auto byte = static_cast<unsigned char>(decoded);
            if (IsPlain(byte) || byte == ' ') {
                throw ProtocolError(what + ": " + std::string(text.substr(i, 3)) +
                                    " encodes a character that is sent as " +
                                    (byte == ' ' ? std::string("\"+\"") : "itself"));
            }
            out += static_cast<char>(byte);
            i += 2;
        } else {
            throw ProtocolError(what + ": byte " + Quoted(text.substr(i, 1)) +
                                " is not encoded (expected " + Hex(c) + ")");
        }
    }
    return out;
}

}  // namespace

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : Hex(c);
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

FormBody FormBody::Parse(std::string_view body) {
    FormBody form;
    if (body.empty())
        return form;
    std::size_t start = 0;
    while (true) {
        std::size_t end = std::min(body.find('&', start), body.size());
        std::string_view pair = body.substr(start, end - start);
        std::string position = "field " + std::to_string(form.m_fields.size() + 1);
        std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos) {
            throw ProtocolError(position + " (" + Quoted(pair) + ") has no \"=\"");
        }
        std::string name = Decode(pair.substr(0, eq), position + " name");
        std::string value = Decode(pair.substr(eq + 1), position + " (" + Quoted(name) + ") value");
        form.m_fields.emplace_back(std::move(name), std::move(value));
        if (end == body.size())
            break;
        start = end + 1;
    }
    return form;
}

void FormBody::ExpectNames(std::initializer_list<std::string_view> names) const {
    std::size_t i = 0;
    for (std::string_view expected : names) {
        std::string position = "position " + std::to_string(i + 1);
        if (i >= m_fields.size()) {
            throw ProtocolError("field " + Quoted(expected) + " missing at " + position +
                                " (the form ends after " + std::to_string(m_fields.size()) +
                                " fields)");
        }
        const std::string& got = m_fields[i].first;
        if (got != expected) {
            bool repeat = i > 0 && *(names.begin() + (i - 1)) == expected;
            bool laterInForm =
                std::any_of(m_fields.begin() + static_cast<std::ptrdiff_t>(i), m_fields.end(),
                            [&](const auto& f) { return f.first == expected; });
            std::string holds = ", not " + Quoted(got);
            if (repeat) {
                throw ProtocolError("field " + Quoted(expected) + " must come a second time at " +
                                    position + holds);
            }
            if (laterInForm) {
                throw ProtocolError("fields out of order: " + position + " should be " +
                                    Quoted(expected) + holds);
            }
            throw ProtocolError("field " + Quoted(expected) + " missing at " + position + holds);
        }
        ++i;
    }
    if (m_fields.size() > i) {
        throw ProtocolError("extra field " + Quoted(m_fields[i].first) + " at position " +
                            std::to_string(i + 1) + " (the form has " + std::to_string(i) +
                            " fields)");
    }
}

const std::string& FormBody::Value(std::string_view name) const {
    auto it = std::find_if(m_fields.begin(), m_fields.end(),
                           [&](const auto& f) { return f.first == name; });
    if (it == m_fields.end())
        throw ProtocolError("field " + Quoted(name) + " missing");
    return it->second;
}

void FormBody::ExpectValue(std::string_view name, std::string_view expected) const {
    const std::string& got = Value(name);
    if (got != expected) {
        throw ProtocolError("field " + Quoted(name) + " must be " + Quoted(expected) + ", not " +
                            Quoted(got));
    }
}

void FormBody::ExpectNotEmpty(std::string_view name) const {
    if (Value(name).empty()) {
        throw ProtocolError("field " + Quoted(name) + " is empty; the form needs it");
    }
}

void FormBody::ExpectCount(std::string_view name, std::int64_t expected,
                           std::string_view formula) const {
    const std::string& got = Value(name);
    std::string want = std::to_string(expected);
    if (got != want) {
        throw ProtocolError("count field " + Quoted(name) + " is " + Quoted(got) + ", expected " +
                            want + " (" + std::string(formula) + ")");
    }
}

std::int64_t FormBody::Integer(std::string_view name) const {
    const std::string& text = Value(name);
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Only the canonical form the client writes: no plus sign, no leading zeros, no "-0".
    if (ec != std::errc() || end != text.data() + text.size() || std::to_string(value) != text) {
        throw ProtocolError("field " + Quoted(name) + " is not a decimal number: " + Quoted(text));
    }
    return value;
}

void ExpectWithinLimit(std::int64_t sentLength, std::int64_t limit, std::string_view carrier) {
    if (sentLength > limit) {
        throw ProtocolError("message part too long: " + std::to_string(sentLength) +
                            " bytes as counted for " + std::string(carrier) + ", limit " +
                            std::to_string(limit));
    }
}

}  // namespace lab
