#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Answers.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

std::string UsCellularSessionValue(const std::string& page) {
    constexpr std::string_view kName = "sesId";
    const auto at = page.find(kName);
    if (at == std::string::npos)
        return {};
    const auto start = at + kName.size() + 1;
    if (start >= page.size())
        return {};
    const auto end = page.find('"', start);
    return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

SendResult SendUsCellular(CSendJob job) {
    return GuardExchange("the US Cellular exchange", [&]() -> SendResult {
        if (job.replyNumber.empty())
            return ResultNeedReplyNumber;
        if (!TakePart(job, CarrierUSCellular))
            return kNoRoomResult;
        const std::string& part = job.text;

        // The start page hands out the session the form must carry; a failed read leaves an
        // empty or partial page and the form goes out all the same.
        std::string start;
        FetchPage("http://" + LoadString(IDS_USCELLULAR_HOST) + "/uscwmss", start);

        CFormRequest form = GatewayForm(IDS_USCELLULAR_HOST, IDS_USCELLULAR_PATH, false);
        AddFields(form, {{"sesId", UsCellularSessionValue(start)},
                         {"MSG", "From: " + job.replyNumber + "\n" + part},
                         {"ADDRESSES", job.number},
                         {"FROMADDRESS", job.replyNumber},
                         {"MSG_TMP", part},
                         {"count", Decimal(CarrierLimit(CarrierUSCellular) -
                                           static_cast<std::int32_t>(part.size()))},
                         {"tc_agree", "on"}});
        // The answer carries no phrase to look for: any answer is an acceptance.
        return form.Perform().empty() ? ResultNoConnection : ResultSent;
    });
}
