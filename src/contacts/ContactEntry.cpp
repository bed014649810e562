#include "contacts/ContactEntry.h"

#include "base/Text.h"
#include "contacts/PhoneNumbers.h"

ContactEntryCheck CheckContactEntry(const std::string& name, const std::string& number) {
    if (name.empty())
        return {ContactField::Name, "Please enter a name for this contact"};
    if (!IsValidNumber(number))
        return {ContactField::Number, "Please enter a 10 digit phone number"};
    return {};
}

CContact MakeContactEntry(const std::string& name, const std::string& number,
                          std::int32_t carrier) {
    const bool known = carrier >= 0 && carrier < kCarrierCount;
    return CContact{TrimBlanks(name), {}, number, known ? carrier : CarrierAutoDetect};
}
