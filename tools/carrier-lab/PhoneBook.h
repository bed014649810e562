#pragma once
// Which carrier each virtual phone belongs to.

#include <filesystem>
#include <map>
#include <string>

namespace lab {

class PhoneBook {
public:
    // Explicit assignments first; otherwise a ten-digit number's last digit is its carrier code
    // (0 belongs to no carrier). Anything that is not ten digits belongs to none.
    int CarrierOf(const std::string& number) const;

    void Assign(const std::string& number, int carrier);
    const std::map<std::string, int>& Assigned() const { return m_assigned; }

    // Lines "NUMBER CARRIER" (code 0..9 or name, any case); "#" starts a comment. The number
    // may be written with punctuation. Throws LabError naming the line on anything else.
    void Load(const std::filesystem::path& file);

private:
    std::map<std::string, int> m_assigned;
};

// 1..9 for a code or a carrier's name or site name ("AllTel", "alltel", "T-Mobile",
// "tmobile", "0", "none"); -1 when the text names none.
int ParseCarrier(const std::string& text);

}  // namespace lab
