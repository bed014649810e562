#pragma once
// What the contact editors check on OK and the record they hand to the main window.

#include <cstdint>
#include <string>

#include "contacts/Contact.h"

enum class ContactField { None, Name, Number };

struct ContactEntryCheck {
    ContactField field = ContactField::None;  // the field that gets the focus back
    std::string message;                      // empty when the entry is fine
};

// The name first, then the number: only the first problem is reported.
ContactEntryCheck CheckContactEntry(const std::string& name, const std::string& number);

// The record sent to the main window: the name trimmed, the number as shown (the window keeps
// only its digits), Auto-Detect when no carrier is chosen.
CContact MakeContactEntry(const std::string& name, const std::string& number, std::int32_t carrier);
