#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendBoost(CSendJob job) {
    return GuardExchange("the Boost Mobile exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierBoost))
            return kNoRoomResult;

        // The gateway checks the number first; a foreign number ends the exchange there.
        CFormRequest check = GatewayForm(IDS_BOOST_HOST, IDS_BOOST_PATH, false);
        AddFields(check, {{"cmd", "buildPageForm"}, {"newnumber", job.number}});
        const std::string checked = check.Perform();
        if (checked.empty())
            return ResultNoConnection;
        if (PageHolds(checked, IDS_BOOST_ERROR))
            return ResultWrongCarrier;

        CFormRequest form = GatewayForm(IDS_BOOST_HOST, IDS_BOOST_PATH, false);
        AddFields(form, {{"cmd", "sendPage"},
                         {"oneWayPTNs", ""},
                         {"twoWayPTNs", job.number},
                         {"schedule", ""},
                         {"from", SenderLabel(job)},
                         {"subject", ""},
                         {"message", job.text},
                         {"count", Decimal(SentLength(job, CarrierBoost))}});
        AddEmptyReplyChoices(form, 6);
        AddFields(form, {{"replynumber", job.replyNumber}, {"replyemail", job.replyEmail}});
        // The message page carries no phrase to look for: any answer is an acceptance.
        return form.Perform().empty() ? ResultNoConnection : ResultSent;
    });
}
