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
inline constexpr ControlName kDelivery{1100, "delivery"};
}  // namespace OptionsIds

namespace DeliveryIds {
inline constexpr ControlName kDialog{150, "deliveryDialog"};
inline constexpr ControlName kCarrierForms{1101, "routeCarrierForms"};
inline constexpr ControlName kModem{1102, "routeModem"};
inline constexpr ControlName kWebService{1103, "routeWebService"};
inline constexpr ControlName kCountryCode{1104, "countryCode"};
inline constexpr ControlName kModemGroup{1105, "modemGroup"};
inline constexpr ControlName kModemList{1106, "modemList"};
inline constexpr ControlName kModemNote{1107, "modemNote"};
inline constexpr ControlName kEnableModem{1108, "enableModem"};
inline constexpr ControlName kRefresh{1109, "refreshModems"};
inline constexpr ControlName kDeliveryReports{1110, "deliveryReports"};
inline constexpr ControlName kWebGroup{1111, "webGroup"};
inline constexpr ControlName kPreset{1112, "webPreset"};
inline constexpr ControlName kBase{1113, "webBase"};
inline constexpr ControlName kPlainHttp{1114, "plainHttpWarning"};
inline constexpr ControlName kAccount{1115, "webAccount"};
inline constexpr ControlName kSender{1116, "webSender"};
inline constexpr ControlName kSecret{1117, "webSecret"};
inline constexpr ControlName kForgetSecret{1118, "forgetSecret"};
inline constexpr ControlName kKeyringNote{1119, "keyringNote"};
inline constexpr ControlName kPerMinute{1120, "webPerMinute"};
}  // namespace DeliveryIds

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
