#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendAttWireless(CSendJob job) {
    return GuardExchange("the AT&T Wireless exchange", [&]() -> SendResult {
        if (job.replyNumber.empty() && job.replyEmail.empty())
            return ResultNeedReplyAddress;
        if (!TakePart(job, CarrierATTWireless))
            return kNoRoomResult;
        CFormRequest form = GatewayForm(IDS_ATT_HOST, IDS_ATT_PATH, false);
        AddFields(form, {{"recipient", job.number},
                         {"sender", job.replyNumber.empty() ? job.replyEmail : job.replyNumber},
                         {"subject", ""},
                         {"message", job.text},
                         {"sizebox", Decimal(SentLength(job, CarrierATTWireless))},
                         {"spamFlag", ""}});
        return ClassifyAnswer(form.Perform(), IDS_ATT_ERROR, ResultUndeliverable);
    });
}
