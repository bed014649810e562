#pragma once
// Importing contacts from a vCard file through the same dialog as a comma-separated one: the
// fields it offers, the value of a field on a card, and the import loop with its counts.

#include <filesystem>
#include <string>
#include <string_view>

#include "contacts/Contact.h"
#include "contacts/CsvImport.h"
#include "contacts/VCardReader.h"

// The fields over all cards, read in one pass: "FN", "N", then one per phone type in the order
// first seen ("TEL (cell)", "TEL (home)"..., "TEL" for a number without a type). The name is
// FN, else N; the number the first mobile field, else the first phone field.
ImportFields ReadVCardFields(const std::filesystem::path& file);

// The card's value of a field of ReadVCardFields: for a phone field the card's first number of
// that type. Empty when the card has none.
std::string VCardFieldValue(const VCard& card, std::string_view field);

// Appends a contact (Auto-Detect) for every card with a name at `nameField` and a number at
// `numberField` of ten digits, or eleven with a leading 1 that is dropped ("+1 555 123 4567").
// Every other card is rejected and counted. Reading stops at a read error; what was imported
// until then stays.
CsvImportCounts ImportVCardFile(const std::filesystem::path& file, std::string_view nameField,
                                std::string_view numberField, AddressBook& book);
