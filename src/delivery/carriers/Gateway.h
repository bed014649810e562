#pragma once
// What the carrier exchanges share: the form request, the part to send and the answer rules.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "base/CaughtException.h"
#include "delivery/SendJob.h"
#include "net/FormRequest.h"

// A POST of form fields to a carrier gateway; host and path are string-table ids.
CFormRequest GatewayForm(int hostId, int pathId, bool secure);

// Appends the fields in wire order.
void AddFields(CFormRequest& form,
               std::initializer_list<std::pair<const char*, std::string>> fields);

// Appends "rep1" .. "rep<count>", each empty: the reply-choice fields of the paging forms.
void AddEmptyReplyChoices(CFormRequest& form, int count);

// Cuts job.text down to the part this carrier takes now. False when the job must be refused
// because the carrier's other texts leave no room for message bytes.
bool TakePart(CSendJob& job, std::int32_t carrier);

// The result of a refused job: nothing could be delivered to this carrier.
inline constexpr SendResult kNoRoomResult = ResultUndeliverable;

// An empty page is no answer (4); a page holding the phrase (string-table id, case-sensitive,
// anywhere, markup included) gives phraseCode; any other page means the carrier accepted (0).
SendResult ClassifyAnswer(const std::string& page, int phraseId, SendResult phraseCode);

// A form's answer for a carrier that looks for its rejection phrase even on an error page: the
// page, and whether it came with an error status (400 or more, secure path).
struct CarrierAnswer {
    std::string page;
    bool errorStatus = false;
};

// Performs the form; an answer that failed on its error status is returned with its page instead
// of thrown. Every other failure throws as Perform does.
CarrierAnswer PerformForAnswer(CFormRequest& form);

// The result of an answer whose page was read as `pageResult`: an error page without the
// rejection phrase is no acceptance (4).
SendResult AnswerResult(const CarrierAnswer& answer, SendResult pageResult);

// True when the page holds the text of string-table entry `id`.
bool PageHolds(const std::string& page, int id);

// Counts are sent in decimal, negative ones with a minus sign.
std::string Decimal(std::int32_t value);

// Any failure of an exchange, from the HTTP client or elsewhere, means no usable answer: 4.
// What failed is told on standard error first, as "Quillo: <where>: <what>", so that a bug is
// not taken for a lost connection in silence.
template <class Exchange>
SendResult GuardExchange(const char* where, Exchange&& exchange) noexcept {
    try {
        return exchange();
    } catch (...) {
        ReportCaught(where);
        return ResultNoConnection;
    }
}
