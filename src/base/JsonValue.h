#pragma once
// A small JSON reader for the answers of web services: a value tree, read whole or not at all.
// Hostile input is bounded: a size cap on the document and a depth cap on nesting.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CJsonValue {
public:
    enum Kind { Null, Bool, Number, String, Array, Object };

    static constexpr std::size_t kMaxDepth = 32;
    static constexpr std::size_t kMaxSize = 1024 * 1024;

    // The document in `text` (UTF-8; surrounding white space allowed); nothing when it is not
    // JSON, is larger than kMaxSize or nests deeper than kMaxDepth.
    static std::optional<CJsonValue> Parse(std::string_view text);

    Kind GetKind() const noexcept { return m_kind; }
    // A string's decoded text, a number's text as written, "true"/"false"; empty otherwise.
    const std::string& Scalar() const noexcept { return m_scalar; }
    // An array's items, or an object's values in the order written.
    const std::vector<CJsonValue>& Items() const noexcept { return m_items; }

    // The member `name` of an object (the first of that name); null for anything else.
    const CJsonValue* Member(std::string_view name) const noexcept;
    // Members down a dotted path ("data.id"); null when one is missing.
    const CJsonValue* Find(std::string_view path) const noexcept;
    // The string or number at `path`, empty when there is none.
    std::string ScalarAt(std::string_view path) const;

private:
    friend class JsonParser;

    Kind m_kind = Null;
    std::string m_scalar;
    std::vector<CJsonValue> m_items;
    std::vector<std::string> m_names;  // an object's member names, by item
};

// `utf8` as a JSON string, quotes included; control characters, quotes and backslashes
// escaped, everything else as it is.
std::string JsonQuoted(std::string_view utf8);
