#include "res/StringTable.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>

namespace {

struct Entry {
    int id;
    std::string_view text;
};

constexpr Entry kFixed[] = {
    {IDS_ABOUTBOX, "&About Quillo..."},
    {IDS_VERSION, "1.06"},
    {IDS_CINGULAR_PATH, "/do/public/send"},
    {IDS_NEXTEL_PATH, "/cgi/iPageExt.dll"},
    {IDS_BOOST_PATH, "/cgi/iPageExt.dll"},
    {IDS_ATT_PATH, "/messagecenter/sendMessage.do"},
    {IDS_SPRINT_PATH, "/textmessaging/composeconfirm"},
    {IDS_TMOBILE_PATH, "/smsportal/index.html?act=smsc&locale=en"},
    {IDS_VERIZON_PATH, "/customer_site/jsp/disclaimer.jsp"},
    {IDS_VERIZON_STATUS_PATH, "/customer_site/jsp/status_sent_lo.jsp"},
    {IDS_ALLTEL_PATH, "/customer_site/jsp/messaging.jsp"},
    {IDS_ATT_ERROR, "error sending your message"},
    {IDS_NEXTEL_ERROR, "Invalid request"},
    {IDS_BOOST_ERROR, "No Valid Recipients Found"},
    {IDS_SPRINT_ERROR, "not accepting web messages"},
    {IDS_TMOBILE_ERROR, "not be delivered"},
    {IDS_VERIZON_UNDELIVERABLE, "Message is undeliverable"},
    {IDS_VERIZON_DENIED, "Network Denied"},
    {IDS_VERIZON_INTERNAL, "Internal Error"},
    {IDS_ALLTEL_ERROR, "failed due to invalid address"},
    {IDS_CINGULAR_ERROR, "could not be submitted"},
    {IDS_MESSAGE_SENT, "Your message was sent!"},
    {IDS_PASSPHRASE, "qmvtrakelop"},
    {IDS_USCELLULAR_PATH, "uscwmss"},
    {IDS_COUNTER_PATH, "/count.php"},
    {IDS_VERIZON_FAILED, "failed"},
};

// Chosen at configure time (QUILLO_DEPLOYMENT).
constexpr Entry kDeployment[] = {
#include "DeploymentStrings.inc"
};

std::mutex& OverrideMutex() {
    static std::mutex m;
    return m;
}

std::map<int, std::string>& Overrides() {
    static std::map<int, std::string> overrides;
    return overrides;
}

template <std::size_t N>
const Entry* Find(const Entry (&table)[N], int id) {
    auto it = std::find_if(std::begin(table), std::end(table),
                           [id](const Entry& e) { return e.id == id; });
    return it == std::end(table) ? nullptr : it;
}

}  // namespace

std::string LoadString(int id) {
    {
        std::lock_guard lock(OverrideMutex());
        if (auto it = Overrides().find(id); it != Overrides().end()) {
            return it->second;
        }
    }
    if (const Entry* e = Find(kDeployment, id)) {
        return std::string(e->text);
    }
    if (const Entry* e = Find(kFixed, id)) {
        return std::string(e->text);
    }
    return {};
}

void OverrideStringForTests(int id, std::string text) {
    std::lock_guard lock(OverrideMutex());
    Overrides()[id] = std::move(text);
}

void ResetStringOverridesForTests() {
    std::lock_guard lock(OverrideMutex());
    Overrides().clear();
}
