#include "carrier-lab/PhoneBook.h"

#include <fstream>
#include <string_view>

#include "base/Text.h"
#include "carrier-lab/FormBody.h"
#include "carrier-lab/LabTypes.h"
#include "carrier-lab/SiteRequest.h"
#include "contacts/Contact.h"

namespace lab {

int PhoneBook::CarrierOf(const std::string& number) const {
    if (!IsTenDigits(number))
        return 0;
    if (auto it = m_assigned.find(number); it != m_assigned.end())
        return it->second;
    return number.back() - '0';
}

void PhoneBook::Assign(const std::string& number, int carrier) {
    if (!IsTenDigits(number))
        throw LabError("not a ten-digit number: " + number);
    if (carrier < 0 || carrier > 9)
        throw LabError("no carrier has code " + std::to_string(carrier));
    m_assigned[number] = carrier;
}

int ParseCarrier(const std::string& text) {
    std::string upper = UpperCase(text);
    if (upper == "NONE")
        return 0;
    if (upper.size() == 1 && upper[0] >= '0' && upper[0] <= '9')
        return upper[0] - '0';
    for (int code = 1; code <= 9; ++code) {
        if (upper == UpperCase(CarrierName(code)) || upper == UpperCase(SiteName(code))) {
            return code;
        }
    }
    return -1;
}

void PhoneBook::Load(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in)
        throw LabError("cannot read the phones file " + file.string());
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        line = TrimBlanks(line);
        if (line.empty())
            continue;
        // The number may be written with punctuation, as in "(555) 123-4567"; the carrier is
        // what follows its tenth digit.
        std::string where = file.string() + ":" + std::to_string(lineNo) + ": ";
        std::string number;
        std::size_t pos = 0;
        for (; pos < line.size() && number.size() < 10; ++pos) {
            char c = line[pos];
            if (c >= '0' && c <= '9') {
                number += c;
            } else if (std::string_view("()-. ").find(c) == std::string_view::npos) {
                break;
            }
        }
        if (number.size() != 10)
            throw LabError(where + "expected a ten-digit number first");
        std::string name = TrimBlanks(line.substr(pos));
        int carrier = ParseCarrier(name);
        if (carrier < 0)
            throw LabError(where + "unknown carrier " + Quoted(name));
        m_assigned[number] = carrier;
    }
}

}  // namespace lab
