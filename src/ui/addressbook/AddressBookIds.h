#pragma once
// The address-book panel's controls, its menu, the contact editors and the import dialog: the
// numbers they are known by, and the names code and tests use.

#include "ui/platform/ControlName.h"

namespace PanelIds {
inline constexpr ControlName kFrame{1010, "addressBookFrame"};
inline constexpr ControlName kList{1011, "addressList"};
inline constexpr ControlName kNew{1015, "new"};
inline constexpr ControlName kDelete{1016, "delete"};
inline constexpr ControlName kSendTo{1017, "sendTo"};
inline constexpr ControlName kEdit{1018, "edit"};
inline constexpr ControlName kMenu{143, "addressBookMenu"};
}  // namespace PanelIds

namespace ContactIds {
inline constexpr ControlName kAddDialog{129, "addContactDialog"};
inline constexpr ControlName kEditDialog{131, "editContactDialog"};
inline constexpr ControlName kNumber{1019, "number"};
inline constexpr ControlName kName{1020, "name"};
inline constexpr ControlName kCarrier{1021, "carrier"};
}  // namespace ContactIds

namespace ImportIds {
inline constexpr ControlName kDialog{144, "importDialog"};
inline constexpr ControlName kNameField{1040, "nameField"};
inline constexpr ControlName kNumberField{1041, "numberField"};
}  // namespace ImportIds
