#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendNextel(CSendJob job) {
    return GuardExchange("the Nextel exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierNextel))
            return kNoRoomResult;
        CFormRequest form = GatewayForm(IDS_NEXTEL_HOST, IDS_NEXTEL_PATH, false);
        AddFields(form, {{"cmd", "sendPage"},
                         {"oneWayPTNs", ""},
                         {"twoWayPTNs", job.number + " "},
                         {"from", SenderLabel(job)},
                         {"subject", ""},
                         {"message", job.text},
                         {"count", Decimal(SentLength(job, CarrierNextel))},
                         {"replycnt", "7"},
                         {"replycnt", "7"}});
        AddEmptyReplyChoices(form, 7);
        AddFields(form, {{"replynumber", job.replyNumber},
                         {"replyemail", job.replyEmail},
                         {"schedule", ""},
                         {"x", "1"},
                         {"y", "1"}});
        return ClassifyAnswer(form.Perform(), IDS_NEXTEL_ERROR, ResultWrongCarrier);
    });
}
