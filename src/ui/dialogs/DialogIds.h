#pragma once
// The secondary dialogs' templates and controls: the numbers they are known by, and the names
// code and tests use.

#include "ui/platform/ControlName.h"

namespace OptionsIds {
inline constexpr ControlName kDialog{132, "optionsDialog"};
inline constexpr ControlName kName{1020, "myName"};
inline constexpr ControlName kNumber{1019, "myNumber"};
inline constexpr ControlName kEmail{1026, "myEmail"};
inline constexpr ControlName kStartup{1028, "startupList"};
inline constexpr ControlName kSendOnEnter{1043, "sendOnEnter"};
}  // namespace OptionsIds

namespace AboutIds {
inline constexpr ControlName kDialog{100, "aboutDialog"};
inline constexpr ControlName kVersion{1035, "version"};
inline constexpr ControlName kSiteLink{1033, "siteLink"};
inline constexpr ControlName kDonate{1022, "donate"};
inline constexpr ControlName kDonationAddress{1032, "donationAddress"};
inline constexpr ControlName kMessageCount{1029, "messageCount"};
}  // namespace AboutIds

namespace DonateIds {
inline constexpr ControlName kDialog{135, "donateDialog"};
inline constexpr ControlName kDonate{1031, "donate"};
inline constexpr ControlName kSiteText{1033, "siteText"};
}  // namespace DonateIds

namespace NewVersionIds {
inline constexpr ControlName kDialog{141, "newVersionDialog"};
inline constexpr ControlName kStatus{1038, "status"};
inline constexpr ControlName kYes{1, "yes"};
inline constexpr ControlName kNo{2, "no"};
}  // namespace NewVersionIds
