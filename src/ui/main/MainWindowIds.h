#pragma once
// The main window's template and its own controls: the numbers they are known by, and the names
// code and tests use. The panel's controls are in ui/addressbook/AddressBookIds.h.

#include "ui/platform/ControlName.h"

namespace MainWindowIds {
inline constexpr ControlName kWindow{102, "mainWindow"};
inline constexpr ControlName kGo{1, "go"};
inline constexpr ControlName kOptions{1001, "options"};
inline constexpr ControlName kTo{1002, "to"};
inline constexpr ControlName kMessage{1004, "message"};
inline constexpr ControlName kAddressBook{1005, "addressBook"};
inline constexpr ControlName kFrom{1007, "from"};
inline constexpr ControlName kAbout{1008, "about"};
}  // namespace MainWindowIds
