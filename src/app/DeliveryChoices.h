#pragma once
// The Delivery dialog's rules, apart from its widgets: which modem it chooses, what the modem
// list says, the web presets' example addresses, the keyring's key of a secret, and what is
// wrong with the options before they are saved.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "delivery/routes/ModemDirectory.h"
#include "delivery/routes/WebRouteCheck.h"  // IsPlainHttp, PresetHasSender for the dialog
#include "storage/RouteSettings.h"

// The columns of a modem's row: manufacturer and model, own number, operator, signal, state.
using ModemRow = std::array<std::string, 5>;
ModemRow ModemRowOf(const ModemInfo& modem);

// The state as the list says it ("enabled", "disabled", "the SIM is locked", ...).
std::string ModemStateText(ModemState state);

// The row chosen when the list arrives: the modem route.conf names (by path or device id),
// else the first enabled one, else the first; -1 for an empty list.
int DefaultModemChoice(const std::vector<ModemInfo>& modems, std::string_view named);

// What stands in place of the list: ModemManager's problem, "No modem found", or nothing.
std::string ModemListNote(const ModemListing& listing);

// What to say beside the chosen modem: a locked SIM stays locked, a disabled modem can be
// enabled; empty otherwise.
std::string ModemAdvice(const ModemInfo& modem);

// The base address a preset suggests, and whether `base` may give way to another preset's (it
// is empty or still one of the suggestions).
std::string_view PresetExample(WebPreset preset);
bool IsUntouchedExample(std::string_view base);

// The keyring's name for the secret of a preset and account.
std::string SecretKey(const RouteSettings& settings);

// What is wrong with the options before they are saved, or empty.
std::string DeliveryProblem(const RouteSettings& settings);
