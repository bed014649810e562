#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendAllTel(CSendJob job) {
    return GuardExchange("the AllTel exchange", [&]() -> SendResult {
        if (job.replyNumber.empty())
            return ResultNeedReplyNumber;
        if (!TakePart(job, CarrierAllTel))
            return kNoRoomResult;
        const std::string& part = job.text;
        CFormRequest form = GatewayForm(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, false);
        AddFields(form, {{"trackResponses", "No"},
                         {"devicetype", "1"},
                         {"min", job.number},
                         {"callback", job.replyNumber},
                         {"text", part},
                         {"count", Decimal(CarrierLimit(CarrierAllTel) -
                                           static_cast<std::int32_t>(part.size()))},
                         {"type", "0"},
                         {"Send.x", "1"},
                         {"Send.y", "1"}});
        return ClassifyAnswer(form.Perform(), IDS_ALLTEL_ERROR, ResultWrongCarrier);
    });
}
