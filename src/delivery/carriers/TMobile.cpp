#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendTMobile(CSendJob job) {
    return GuardExchange("the T-Mobile exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierTMobile))
            return kNoRoomResult;
        CFormRequest form = GatewayForm(IDS_TMOBILE_HOST, IDS_TMOBILE_PATH, true);
        AddFields(form, {{"receiver", job.number},
                         {"sender", SenderLabel(job)},
                         {"text", job.text},
                         {"count",
                          Decimal(CarrierLimit(CarrierTMobile) - SentLength(job, CarrierTMobile))},
                         {"msgTermsUse", "on"},
                         {"Send.x", "1"},
                         {"Send.y", "1"}});
        // Its rejection can come on an error page: the phrase counts there too.
        const CarrierAnswer answer = PerformForAnswer(form);
        return AnswerResult(answer,
                            ClassifyAnswer(answer.page, IDS_TMOBILE_ERROR, ResultWrongCarrier));
    });
}
