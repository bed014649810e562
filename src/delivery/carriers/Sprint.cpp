#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendSprint(CSendJob job) {
    return GuardExchange("the Sprint PCS exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierSprint))
            return kNoRoomResult;
        // The gateway expects its compose page to have been read first (it may set cookies);
        // what the page says, or whether it could be read, does not matter.
        std::string compose;
        FetchPage("http://" + LoadString(IDS_SPRINT_HOST) + "/textmessaging/compose", compose);

        CFormRequest form = GatewayForm(IDS_SPRINT_HOST, IDS_SPRINT_PATH, false);
        AddFields(form, {{"phoneNumber", job.number},
                         {"message", job.text},
                         {"characters",
                          Decimal(CarrierLimit(CarrierSprint) - SentLength(job, CarrierSprint))},
                         {"callBackNumber", ReplyLabel(job)},
                         {"x", "1"},
                         {"y", "1"}});
        return ClassifyAnswer(form.Perform(), IDS_SPRINT_ERROR, ResultWrongCarrier);
    });
}
