#include "delivery/routes/WebAnswer.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/JsonValue.h"
#include "base/Text.h"
#include "base/Unsendable.h"
#include "delivery/routes/WebFailures.h"
#include "delivery/routes/WebPresets.h"

namespace {

using namespace web_failure;

constexpr std::chrono::seconds kDefaultRetryAfter{1};

std::string WithStatus(std::string_view what, int status) {
    return std::string(kPrefix) + std::string(what) + " (status " + std::to_string(status) + ")";
}

// Seconds as "Retry-After" gives them, bounded; a date or nonsense waits the default.
std::chrono::milliseconds RetryWait(std::string_view retryAfter) {
    unsigned seconds = 0;
    const auto [end, ec] =
        std::from_chars(retryAfter.data(), retryAfter.data() + retryAfter.size(), seconds);
    if (ec != std::errc() || end != retryAfter.data() + retryAfter.size())
        return kDefaultRetryAfter;
    return std::min<std::chrono::milliseconds>(std::chrono::seconds(seconds), kMaxRetryAfter);
}

// One line of printable text, cut at a character boundary.
std::string OneLine(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty())
                break;
            continue;
        }
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    if (line.size() > kMaxServiceText) {
        std::size_t cut = kMaxServiceText;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
        line += "...";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

WebVerdict Done(RouteResult result) {
    return {WebVerdict::Done, std::move(result), {}};
}

WebVerdict Success(WebPreset preset, int, std::string_view body, std::string_view) {
    const auto json = CJsonValue::Parse(body);
    const std::string id = json ? json->ScalarAt(WebIdPath(preset)) : std::string();
    const std::string_view required = WebRequiredPath(preset);
    if (id.empty() || (!required.empty() && !json->Find(required)))
        return Done(WebFailure(std::string(kUnreadable)));
    return Done({ResultSent, {}, id});
}

WebVerdict Redirect(WebPreset, int status, std::string_view, std::string_view) {
    return Done(
        WebFailure(WithStatus("the service sent it elsewhere, which is not followed", status)));
}

WebVerdict Refused(WebPreset, int, std::string_view, std::string_view) {
    return Done(WebFailure(std::string(kRefusedAccount)));
}

WebVerdict Invalid(WebPreset, int status, std::string_view body, std::string_view) {
    const std::string text = ServiceErrorText(body);
    if (text.empty())
        return Done(WebFailure(WithStatus("the service refused the message", status)));
    return Done(WebFailure(std::string(kPrefix) + "the service said: " + text));
}

WebVerdict Busy(WebPreset, int, std::string_view, std::string_view retryAfter) {
    return {WebVerdict::TryAgain, WebFailure(std::string(kTooMany), ResultNoConnection),
            RetryWait(retryAfter)};
}

WebVerdict ServerFault(WebPreset, int status, std::string_view, std::string_view) {
    return {WebVerdict::TryAgain,
            WebFailure(WithStatus("the service failed", status), ResultNoConnection),
            kDefaultRetryAfter};
}

WebVerdict Other(WebPreset, int status, std::string_view, std::string_view) {
    return Done(WebFailure(WithStatus("the service answered otherwise", status)));
}

using Reader = WebVerdict (*)(WebPreset, int, std::string_view, std::string_view);

struct StatusRow {
    int first;
    int last;
    Reader read;
};

constexpr std::array<StatusRow, 8> kByStatus = {{
    {200, 299, Success},
    {300, 399, Redirect},
    {401, 401, Refused},
    {403, 403, Refused},
    {400, 400, Invalid},
    {422, 422, Invalid},
    {429, 429, Busy},
    {500, 599, ServerFault},
}};

}  // namespace

WebVerdict ReadWebAnswer(WebPreset preset, int status, std::string_view body,
                         std::string_view retryAfter) {
    const auto* row = std::find_if(
        kByStatus.begin(), kByStatus.end(),
        [status](const StatusRow& r) { return status >= r.first && status <= r.last; });
    return (row == kByStatus.end() ? Other : row->read)(preset, status, body, retryAfter);
}

namespace {

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto [c, length] = DecodeUtf8(text);
        if (c == 0xFFFD && length == 1 && static_cast<unsigned char>(text[0]) >= 0x80)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

// The report is program text: UTF-8 goes into the code page (look-alikes first); a body in
// another character set is taken byte for byte, as the code page reads it.
std::string ProgramText(const std::string& text) {
    return IsUtf8(text) ? Utf8ToCp1252(ReplaceLookAlikes(text, IsSendable)) : text;
}

}  // namespace

std::string ServiceErrorText(std::string_view body) {
    const auto json = CJsonValue::Parse(body);
    if (!json) {
        const bool markup = body.find('<') != std::string_view::npos;
        return markup ? std::string() : ProgramText(OneLine(body));
    }
    for (std::string_view path : {"message", "error", "error.message"}) {
        if (std::string text = OneLine(json->ScalarAt(path)); !text.empty())
            return ProgramText(text);
    }
    return {};
}
