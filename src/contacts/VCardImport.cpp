#include "contacts/VCardImport.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "contacts/PhoneNumbers.h"

namespace {

std::string PhoneField(const std::string& type) {
    return type.empty() ? "TEL" : "TEL (" + type + ")";
}

// Phones name a mobile "cell"; some exports write "mobile", and an iPhone is one too.
bool IsMobile(std::string_view type) {
    return type == "cell" || type == "mobile" || type == "iphone";
}

// The ten digits of a number, or nothing. Phones export "+1 555 123 4567": the country code
// of a number with eleven digits is dropped.
std::string TenDigits(std::string_view number) {
    std::string digits = NormalizeDigits(number);
    if (digits.size() == 11 && digits.front() == '1')
        digits.erase(0, 1);
    return digits.size() == 10 ? digits : std::string();
}

}  // namespace

ImportFields ReadVCardFields(const std::filesystem::path& file) {
    bool formattedName = false, name = false;
    std::vector<std::string> phones;
    int mobile = -1;
    std::unordered_set<std::string> seen;
    CVCardReader reader(file);
    for (VCard card; reader.ReadCard(card);) {
        if (card.damaged)
            continue;
        formattedName = formattedName || card.formattedName.has_value();
        name = name || card.name.has_value();
        for (const VCardPhone& phone : card.phones) {
            if (!seen.insert(phone.type).second)
                continue;
            if (mobile < 0 && IsMobile(phone.type))
                mobile = static_cast<int>(phones.size());
            phones.push_back(PhoneField(phone.type));
        }
    }
    ImportFields fields;
    if (formattedName)
        fields.names.push_back("FN");
    if (name)
        fields.names.push_back("N");
    const int names = static_cast<int>(fields.names.size());
    fields.name = names > 0 ? 0 : -1;
    fields.number = phones.empty() ? -1 : names + std::max(mobile, 0);
    fields.names.insert(fields.names.end(), std::make_move_iterator(phones.begin()),
                        std::make_move_iterator(phones.end()));
    return fields;
}

std::string VCardFieldValue(const VCard& card, std::string_view field) {
    if (field == "FN")
        return card.formattedName.value_or(std::string());
    if (field == "N")
        return card.name.value_or(std::string());
    const auto phone =
        std::find_if(card.phones.begin(), card.phones.end(),
                     [&](const VCardPhone& p) { return PhoneField(p.type) == field; });
    return phone == card.phones.end() ? std::string() : phone->number;
}

CsvImportCounts ImportVCardFile(const std::filesystem::path& file, std::string_view nameField,
                                std::string_view numberField, AddressBook& book) {
    CsvImportCounts counts;
    CVCardReader reader(file);
    for (VCard card; reader.ReadCard(card);) {
        std::string name =
            card.damaged ? std::string() : TrimBlanks(VCardFieldValue(card, nameField));
        std::string number =
            name.empty() ? std::string() : TenDigits(VCardFieldValue(card, numberField));
        if (number.empty()) {
            ++counts.rejected;
            continue;
        }
        book.push_back(CContact{std::move(name), {}, std::move(number), CarrierAutoDetect});
        ++counts.imported;
    }
    return counts;
}
