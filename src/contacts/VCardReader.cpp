#include "contacts/VCardReader.h"

#include <algorithm>
#include <utility>

#include "base/Text.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Unquoted(std::string_view text) {
    text = Trimmed(text);
    while (!text.empty() && text.front() == '"') text.remove_prefix(1);
    while (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return Trimmed(text);
}

bool HasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Pieces of `text` between the marks that stand outside double quotes (4.0 quotes parameter
// values, which may hold ';', ',' and ':').
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char mark) {
    std::vector<std::string_view> pieces;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == mark && !quoted) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

struct Property {
    std::string name;                // upper case, without its group ("item1.")
    std::vector<std::string> types;  // lower case, in the order written
    std::string charset;             // upper case
    bool quotedPrintable = false;
    std::string_view value;
};

// `TYPE=cell,voice`, `TYPE="cell,voice"` and 2.1's bare `CELL` alike.
void AddTypes(std::string_view list, Property& property) {
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string_view type = Unquoted(list.substr(start, end - start));
        start = end + 1;
        if (type.empty())
            continue;
        property.types.push_back(AsciiLowerCase(type));
    }
}

void SetEncoding(std::string_view value, Property& property) {
    property.quotedPrintable = EqualsNoCase(Unquoted(value), "QUOTED-PRINTABLE");
}

void SetCharset(std::string_view value, Property& property) {
    property.charset = AsciiUpperCase(Unquoted(value));
}

using ParameterHandler = void (*)(std::string_view value, Property& property);
constexpr std::pair<std::string_view, ParameterHandler> kParameters[] = {
    {"TYPE", AddTypes},
    {"ENCODING", SetEncoding},
    {"CHARSET", SetCharset},
};

// 2.1 writes the encoding alone as well (`TEL;CELL;QUOTED-PRINTABLE:`).
constexpr std::string_view kEncodings[] = {"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT"};

void AddParameter(std::string_view parameter, Property& property) {
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) {
        const bool encoding =
            std::any_of(std::begin(kEncodings), std::end(kEncodings),
                        [&](auto e) { return EqualsNoCase(Trimmed(parameter), e); });
        (encoding ? SetEncoding : AddTypes)(parameter, property);
        return;
    }
    const std::string key = AsciiUpperCase(Trimmed(parameter.substr(0, equals)));
    for (const auto& [name, handle] : kParameters) {
        if (key == name)
            handle(parameter.substr(equals + 1), property);
    }
}

std::size_t ColonOutsideQuotes(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

// A line without a colon outside quotes is no property: its name stays empty.
Property ParseProperty(std::string_view line) {
    Property property;
    const std::size_t colon = ColonOutsideQuotes(line);
    if (colon == std::string_view::npos)
        return property;
    property.value = line.substr(colon + 1);
    const std::vector<std::string_view> parameters = SplitOutsideQuotes(line.substr(0, colon), ';');
    const std::string_view name = Trimmed(parameters.front());
    property.name = AsciiUpperCase(name.substr(name.rfind('.') + 1));
    for (std::size_t i = 1; i < parameters.size(); ++i) AddParameter(parameters[i], property);
    return property;
}

bool IsCardMark(const Property& property, std::string_view mark) {
    return property.name == mark && EqualsNoCase(Trimmed(property.value), "VCARD");
}

// Soft line breaks were joined already; an '=' not followed by two hex digits stays as it is.
std::string DecodeQuotedPrintable(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const int byte = i + 2 < value.size() ? DecodeHexPair(value[i + 1], value[i + 2]) : -1;
        if (value[i] == '=' && byte >= 0) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string Unchanged(std::string_view bytes) {
    return std::string(bytes);
}

// Latin-9 is Latin-1 but for eight letters, which the code page holds elsewhere.
std::string FromLatin9(std::string_view bytes) {
    constexpr std::pair<unsigned char, char> kMoved[] = {
        {0xA4, '\x80'}, {0xA6, '\x8A'}, {0xA8, '\x9A'}, {0xB4, '\x8E'},
        {0xB8, '\x9E'}, {0xBC, '\x8C'}, {0xBD, '\x9C'}, {0xBE, '\x9F'},
    };
    std::string out(bytes);
    for (char& c : out) {
        for (const auto& [latin9, cp1252] : kMoved) {
            if (static_cast<unsigned char>(c) == latin9)
                c = cp1252;
        }
    }
    return out;
}

// The code page takes Latin-1 byte for byte, as Windows reads it.
constexpr std::pair<std::string_view, std::string (*)(std::string_view)> kCharsets[] = {
    {"UTF-8", Utf8ToCp1252},     {"UTF8", Utf8ToCp1252}, {"ISO-8859-1", Unchanged},
    {"WINDOWS-1252", Unchanged}, {"CP1252", Unchanged},  {"US-ASCII", Unchanged},
    {"ISO-8859-15", FromLatin9},
};

// A value's bytes as program text by its CHARSET; without a known one, valid UTF-8 is read as
// UTF-8 and anything else as the code page.
std::string ToProgramText(std::string_view bytes, const std::string& charset) {
    if (!HasHighByte(bytes))
        return std::string(bytes);
    for (const auto& [name, convert] : kCharsets) {
        if (charset == name)
            return convert(bytes);
    }
    return CTextLineReader::IsUtf8Text(bytes) ? Utf8ToCp1252(bytes) : std::string(bytes);
}

std::string ValueText(const Property& property, CTextLineReader& lines) {
    if (property.quotedPrintable)
        return ToProgramText(DecodeQuotedPrintable(property.value), property.charset);
    // The lines of a UTF-8 or UTF-16 file come as program text already.
    if (!HasHighByte(property.value) || lines.Encoding() != TextEncoding::Cp1252)
        return std::string(property.value);
    return ToProgramText(property.value, property.charset);
}

// A TEL with several types is named by the first that says what the phone is rather than how it
// is used: "cell,voice" is "cell". Only "voice" (with or without "pref") is "voice".
std::string PhoneType(const std::vector<std::string>& types) {
    const auto kind = std::find_if(types.begin(), types.end(), [](const std::string& t) {
        return t != "voice" && t != "pref";
    });
    if (kind != types.end())
        return *kind;
    return std::find(types.begin(), types.end(), "voice") != types.end() ? "voice" : "";
}

// 4.0 may write `tel:+1-555-123-4567;ext=89`: the number is what lies before the parameters.
std::string TelNumber(std::string text) {
    if (!EqualsNoCase(std::string_view(text).substr(0, 4), "tel:"))
        return text;
    const std::size_t end = text.find(';');
    return text.substr(4, end == std::string::npos ? end : end - 4);
}

struct RawCard {
    std::string version;
    std::optional<std::string> formattedName, name;
    std::vector<VCardPhone> phones;
    bool damaged = false;
};

using Taker = void (*)(const Property&, std::string text, RawCard& card);
constexpr std::pair<std::string_view, Taker> kTaken[] = {
    {"VERSION", [](const Property&, std::string t, RawCard& c) { c.version = TrimBlanks(t); }},
    {"FN",
     [](const Property&, std::string t, RawCard& c) {
         if (!c.formattedName)
             c.formattedName = std::move(t);
     }},
    {"N",
     [](const Property&, std::string t, RawCard& c) {
         if (!c.name)
             c.name = std::move(t);
     }},
    {"TEL",
     [](const Property& p, std::string t, RawCard& c) {
         c.phones.push_back({PhoneType(p.types), TelNumber(std::move(t))});
     }},
};

void Take(const Property& property, RawCard& card, CTextLineReader& lines) {
    for (const auto& [name, take] : kTaken) {
        if (property.name == name)
            take(property, ValueText(property, lines), card);
    }
}

bool IsEscaped(char c, bool allEscapes) {
    return c == ';' || (allEscapes && (c == ',' || c == '\\' || c == 'n' || c == 'N'));
}

// A value with its escapes undone, split at ';' into at most `most` components. 3.0 and 4.0
// escape '\\', ',', ';' and line breaks, and separate the values of one component with ',';
// 2.1 escapes only ';'.
std::vector<std::string> Components(std::string_view value, bool allEscapes, std::size_t most) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size() && IsEscaped(value[i + 1], allEscapes)) {
            const char escaped = value[++i];
            parts.back() += escaped == 'n' || escaped == 'N' ? '\n' : escaped;
        } else if (c == ';' && most > 1) {
            if (parts.size() == most)
                break;
            parts.emplace_back();
        } else if (c == ',' && most > 1 && allEscapes) {
            parts.back() += ' ';
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// A name is one line: line breaks and runs of white space become single spaces.
std::string SingleSpaced(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (!IsBlank(c)) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

VCard Finish(RawCard raw) {
    const bool allEscapes = raw.version != "2.1";
    VCard card;
    card.damaged = raw.damaged;
    card.phones = std::move(raw.phones);
    if (raw.formattedName)
        card.formattedName = SingleSpaced(Components(*raw.formattedName, allEscapes, 1).front());
    if (raw.name) {
        // Family;Given;Middle;Prefix;Suffix, shown and imported as "Given Middle Family".
        std::vector<std::string> parts = Components(*raw.name, allEscapes, 3);
        parts.resize(3);
        card.name = SingleSpaced(parts[1] + ' ' + parts[2] + ' ' + parts[0]);
    }
    return card;
}

// Whether an unfolded line's value is quoted-printable, known once its head (up to the first
// colon outside quotes) is complete. The line is scanned once however many pieces it grows by.
class QuotedPrintableCheck {
public:
    bool operator()(std::string_view line) {
        for (; m_known < 0 && m_scanned < line.size(); ++m_scanned) {
            const char c = line[m_scanned];
            if (c == '"') {
                m_quoted = !m_quoted;
            } else if (c == ':' && !m_quoted) {
                m_known = ParseProperty(line.substr(0, m_scanned + 1)).quotedPrintable ? 1 : 0;
            }
        }
        return m_known == 1;
    }

private:
    std::size_t m_scanned = 0;
    bool m_quoted = false;
    int m_known = -1;
};

bool IsFolded(std::string_view line) {
    return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

bool IsCardBoundary(std::string_view line) {
    line = Trimmed(line);
    return EqualsNoCase(line, "BEGIN:VCARD") || EqualsNoCase(line, "END:VCARD");
}

}  // namespace

bool IsVCardFile(const std::filesystem::path& file) {
    CTextLineReader lines(file);
    std::string line;
    while (lines.ReadLine(line)) {
        const std::string_view text = Trimmed(line);
        if (!text.empty())
            return EqualsNoCase(text, "BEGIN:VCARD");
    }
    return false;
}

CVCardReader::CVCardReader(const std::filesystem::path& file) : m_lines(file) {}

bool CVCardReader::Peek() {
    if (!m_hasNext) {
        m_hasNext = m_lines.ReadLine(m_next);
        m_nextTruncated = m_lines.Truncated();
    }
    return m_hasNext;
}

void CVCardReader::Append(std::string& line, std::string_view piece) {
    if (m_nextTruncated || piece.size() > CTextLineReader::kMaxLine - line.size())
        m_overlong = true;
    if (!m_overlong)
        line.append(piece);
}

bool CVCardReader::ReadUnfolded(std::string& line) {
    line.clear();
    m_overlong = false;
    QuotedPrintableCheck quotedPrintable;
    bool first = true;
    bool softBreak = false;
    while (Peek()) {
        const bool folded = !first && !softBreak && IsFolded(m_next);
        // Some phones end a quoted-printable value with '=' all the same: the card's end does
        // not become part of it.
        if (!first && !folded && (!softBreak || IsCardBoundary(m_next)))
            break;
        // After a soft line break the next line is the value's own text, white space and all.
        const std::string_view piece = std::string_view(m_next).substr(folded ? 1 : 0);
        if (softBreak && !m_overlong)
            line.pop_back();
        Append(line, piece);
        m_hasNext = false;
        softBreak = !piece.empty() && piece.back() == '=' && quotedPrintable(line);
        first = false;
    }
    return !first;
}

bool CVCardReader::ReadCard(VCard& card) {
    RawCard raw;
    int depth = 0;  // a card inside a card (2.1's AGENT) is passed over
    std::string line;
    while (ReadUnfolded(line)) {
        if (m_overlong) {
            raw.damaged = raw.damaged || depth > 0;
            continue;
        }
        const Property property = ParseProperty(line);
        if (IsCardMark(property, "BEGIN")) {
            if (depth++ == 0)
                raw = RawCard();
        } else if (depth > 0 && IsCardMark(property, "END")) {
            if (--depth == 0) {
                card = Finish(std::move(raw));
                return true;
            }
        } else if (depth == 1) {
            Take(property, raw, m_lines);
        }
    }
    if (depth == 0 || Failed())
        return false;
    card = Finish(std::move(raw));
    return true;
}
