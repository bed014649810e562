#pragma once
// A form body as the gateways read it: decoded strictly, fields in wire order, duplicates kept.

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lab {

// A request that differs from the gateway's form; the text says how.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FormBody {
public:
    // Accepts only what the client's encoder writes: letters, digits and "." as themselves,
    // "+" for a space, "%XX" with upper-case hex for every other byte. Throws ProtocolError.
    static FormBody Parse(std::string_view body);

    const std::vector<std::pair<std::string, std::string>>& Fields() const { return m_fields; }

    // The names, in this order and no others (a name listed twice must come twice).
    void ExpectNames(std::initializer_list<std::string_view> names) const;

    // The value of the first field of that name (call after ExpectNames).
    const std::string& Value(std::string_view name) const;
    // The value of the field at this position (0-based).
    const std::string& ValueAt(std::size_t index) const { return m_fields.at(index).second; }

    void ExpectValue(std::string_view name, std::string_view expected) const;
    void ExpectNotEmpty(std::string_view name) const;
    // A count written in decimal as the client writes it, equal to `expected`.
    void ExpectCount(std::string_view name, std::int64_t expected, std::string_view formula) const;
    // The same field's value as an integer written as the client writes it.
    std::int64_t Integer(std::string_view name) const;

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// Refuses a part that, counted the way the client counts for this carrier, exceeds its limit.
void ExpectWithinLimit(std::int64_t sentLength, std::int64_t limit, std::string_view carrier);

// Length in bytes as a signed count.
inline std::int64_t Len(std::string_view text) {
    return static_cast<std::int64_t>(text.size());
}

// A text for a reason: the bytes in double quotes, control bytes escaped.
std::string Quoted(std::string_view text);

}  // namespace lab
