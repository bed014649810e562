#include "delivery/carriers/Gateway.h"

#include "delivery/Splitting.h"
#include "net/InternetException.h"
#include "res/StringTable.h"

CFormRequest GatewayForm(int hostId, int pathId, bool secure) {
    return CFormRequest(hostId, pathId, VerbPost, kFormContentType, secure);
}

void AddFields(CFormRequest& form,
               std::initializer_list<std::pair<const char*, std::string>> fields) {
    for (const auto& [name, value] : fields) form.AddField(name, value);
}

void AddEmptyReplyChoices(CFormRequest& form, int count) {
    for (int i = 1; i <= count; ++i) form.AddField("rep" + std::to_string(i), "");
}

bool TakePart(CSendJob& job, std::int32_t carrier) {
    if (SplitLeavesNoRoom(job, carrier))
        return false;
    std::string rest;  // the send worker queues the rest
    job.text = SplitForCarrier(job, rest, carrier);
    return true;
}

CarrierAnswer PerformForAnswer(CFormRequest& form) {
    try {
        return {form.Perform(), false};
    } catch (const CInternetException& failure) {
        if (const std::string* page = failure.ErrorPage())
            return {*page, true};
        throw;
    }
}

SendResult AnswerResult(const CarrierAnswer& answer, SendResult pageResult) {
    return answer.errorStatus && pageResult == ResultSent ? ResultNoConnection : pageResult;
}

bool PageHolds(const std::string& page, int id) {
    return page.find(LoadString(id)) != std::string::npos;
}

SendResult ClassifyAnswer(const std::string& page, int phraseId, SendResult phraseCode) {
    if (page.empty())
        return ResultNoConnection;
    return PageHolds(page, phraseId) ? phraseCode : ResultSent;
}

std::string Decimal(std::int32_t value) {
    return std::to_string(value);
}
