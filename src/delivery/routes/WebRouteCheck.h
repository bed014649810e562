#pragma once
// Whether the web-service options can make a request at all, asked before any byte is sent
// (and by the dialog that edits them).

#include <string>
#include <string_view>

#include "storage/RouteSettings.h"

// The first problem of the options as a clause in lower case without a full stop ("the
// service address does not begin with http:// or https://"); empty when they are fine.
std::string WebRouteProblem(const RouteSettings& settings);

// True for an address the secret would cross in the clear ("http://" in any case).
bool IsPlainHttp(std::string_view base);

// The phone gateway sends from the phone's own number.
bool PresetHasSender(WebPreset preset);

// The sender number as it goes out: "+" and its digits for a number written with "+", the
// country code before ten digits; empty when it is not a phone number.
std::string WebSenderAddress(std::string_view sender, std::string_view countryCode);

// The host of an "http://" or "https://" address, without brackets or port; empty for none.
std::string WebHostOf(std::string_view base);
