#include "contacts/Contact.h"
#include "delivery/Splitting.h"
#include "delivery/carriers/Carriers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

SendResult SendCingular(CSendJob job) {
    return GuardExchange("the Cingular exchange", [&]() -> SendResult {
        if (!TakePart(job, CarrierCingular))
            return kNoRoomResult;
        const std::string from = SenderLabel(job);
        const auto reply =
            static_cast<std::int32_t>(job.replyNumber.empty() ? 0 : job.replyNumber.size() + 10);
        const std::int32_t charCount = CarrierLimit(CarrierCingular) - reply -
                                       static_cast<std::int32_t>(from.size()) -
                                       static_cast<std::int32_t>(job.text.size()) - 9;
        CFormRequest form = GatewayForm(IDS_CINGULAR_HOST, IDS_CINGULAR_PATH, false);
        AddFields(form, {{"from", from},
                         {"min", job.number},
                         {"subject", ""},
                         {"msg", job.text},
                         {"charCount", Decimal(charCount)},
                         {"priority", "Normal"},
                         {"deliveryTime", "0"},
                         {"callback", job.replyNumber},
                         {"replyto", job.replyEmail}});
        return ClassifyAnswer(form.Perform(), IDS_CINGULAR_ERROR, ResultWrongCarrier);
    });
}
