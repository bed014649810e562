#pragma once
// The request each preset of the web-service route makes, and where its answer holds the id.

#include <string>
#include <string_view>

#include "storage/RouteSettings.h"

struct WebRequest {
    std::string url;
    std::string headers;  // lines ended with CR LF
    std::string body;
    bool basicAuth = false;  // the account and the secret as HTTP Basic credentials
};

// The request for one text to `to` ("+" and digits) from the options' sender. The secret goes
// into `headers` only for a bearer token.
WebRequest MakeWebRequest(const RouteSettings& settings, std::string_view to,
                          std::string_view text);

// The member of a success answer that holds the message id ("sid", "data.id", "id").
std::string_view WebIdPath(WebPreset preset);
// Another member a success answer must hold; empty when none.
std::string_view WebRequiredPath(WebPreset preset);
