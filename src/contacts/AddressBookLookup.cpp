#include "contacts/AddressBookLookup.h"

#include <algorithm>

#include "base/Text.h"
#include "contacts/PhoneNumbers.h"

namespace {

// The Number of the first entry whose upper-cased `field` equals `wanted`, or an empty text.
std::string NumberOfFirst(const AddressBook& book, const std::string& wanted,
                          std::string CContact::*field) {
    auto it = std::find_if(book.begin(), book.end(),
                           [&](const CContact& c) { return UpperCase(c.*field) == wanted; });
    return it == book.end() ? std::string() : it->Number;
}

const CContact* FindByNumber(const AddressBook& book, std::string_view number) {
    auto it = std::find_if(book.begin(), book.end(),
                           [&](const CContact& c) { return c.Number == number; });
    return it == book.end() ? nullptr : &*it;
}

}  // namespace

std::string LookupNumberByName(const AddressBook& book, std::string_view name) {
    const std::string wanted = UpperCase(TrimBlanks(name));
    std::string number = NumberOfFirst(book, wanted, &CContact::Name);
    if (number.empty())
        number = NumberOfFirst(book, wanted, &CContact::AltName);
    return number;
}

std::string DisplayNameForNumber(const AddressBook& book, std::string_view number) {
    const CContact* found = FindByNumber(book, NormalizeDigits(number));
    return found ? found->Name : std::string(number);
}

std::int32_t CarrierForNumber(const AddressBook& book, std::string_view number) {
    const CContact* found = FindByNumber(book, number);
    return found ? found->Carrier : CarrierAutoDetect;
}

void SetCarrierForNumber(AddressBook& book, std::string_view number, std::int32_t carrier) {
    for (CContact& c : book) {
        if (c.Number == number)
            c.Carrier = carrier;
    }
}

int FindStringIndex(const std::vector<std::string>& list, std::string_view text) {
    auto it = std::find(list.begin(), list.end(), text);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}
