#pragma once
// Lookups over the address book. All are linear scans in book order.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

// The number of the first entry whose upper-cased Name equals the trimmed, upper-cased name;
// failing that, the same over AltName; an empty text when nothing matches.
std::string LookupNumberByName(const AddressBook& book, std::string_view name);

// The Name of the first entry whose Number equals the digits of `number`, else `number` as given.
std::string DisplayNameForNumber(const AddressBook& book, std::string_view number);

// The Carrier of the first entry whose Number equals `number` exactly, else CarrierAutoDetect.
std::int32_t CarrierForNumber(const AddressBook& book, std::string_view number);

// Every entry whose Number equals `number` exactly gets `carrier`.
void SetCarrierForNumber(AddressBook& book, std::string_view number, std::int32_t carrier);

// Index of the first element equal to `text` (case-sensitive), or -1.
int FindStringIndex(const std::vector<std::string>& list, std::string_view text);
