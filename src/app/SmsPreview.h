#pragma once
// The part preview's rules on the modem route: the network counts the same for every
// recipient (GSM 7-bit or UCS-2), so the read-out is one count, and its tooltip names the
// characters that force UCS-2 and what they cost. No character is unsendable there.

#include <string>
#include <string_view>

#include "app/PartPreview.h"
#include "storage/RouteSettings.h"

// `typed` is the message as typed (UTF-8).
PreviewReadOut MakeSmsReadOut(std::string_view typed);

// The message menu's replace action on a route, and what it does to the typed text.
std::string_view ReplaceActionText(DeliveryRoute route);
std::string ReplaceForRoute(DeliveryRoute route, std::string_view typed);
