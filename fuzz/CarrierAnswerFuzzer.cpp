// Every way a carrier routine reads a gateway's page, fed any page: the first byte picks the
// reader, the rest is the page. Results must be send result codes, and what is read out of a
// page must be a piece of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "FuzzCheck.h"
#include "delivery/SendJob.h"
#include "delivery/carriers/Answers.h"
#include "delivery/carriers/Gateway.h"
#include "res/StringTable.h"

namespace {

bool IsResult(std::int32_t code) {
    return code >= ResultSent && code <= ResultNeedReplyNumber;
}

// The one-phrase answers: each carrier's phrase and the code it gives.
SendResult OnePhrase(const std::string& page, int phraseId, SendResult code) {
    const SendResult result = ClassifyAnswer(page, phraseId, code);
    FUZZ_CHECK(result == (page.empty()                ? ResultNoConnection
                          : PageHolds(page, phraseId) ? code
                                                      : ResultSent));
    return result;
}

void VerizonConfirmationPage(const std::string& page) {
    const VerizonConfirmation read = ReadVerizonConfirmation(page);
    FUZZ_CHECK(IsResult(read.result));
    FUZZ_CHECK(read.result == ResultSent || read.messageId.empty());
    if (read.result == ResultSent) {
        FUZZ_CHECK(page.find(read.messageId) != std::string::npos);
        FUZZ_CHECK(read.messageId.find('<') == std::string::npos);
    }
}

void UsCellularStartPage(const std::string& page) {
    const std::string session = UsCellularSessionValue(page);
    FUZZ_CHECK(page.find(session) != std::string::npos);
    FUZZ_CHECK(session.find('"') == std::string::npos);
}

// An error page never counts as an acceptance, whatever it holds.
void ErrorPage(const std::string& page, SendResult pageResult) {
    FUZZ_CHECK(AnswerResult({page, true}, pageResult) != ResultSent);
}

const std::array<std::function<void(const std::string&)>, 12> kReaders = {{
    [](const std::string& p) { OnePhrase(p, IDS_ALLTEL_ERROR, ResultWrongCarrier); },
    [](const std::string& p) { OnePhrase(p, IDS_ATT_ERROR, ResultUndeliverable); },
    [](const std::string& p) { OnePhrase(p, IDS_BOOST_ERROR, ResultWrongCarrier); },
    [](const std::string& p) { OnePhrase(p, IDS_CINGULAR_ERROR, ResultWrongCarrier); },
    [](const std::string& p) { OnePhrase(p, IDS_NEXTEL_ERROR, ResultWrongCarrier); },
    [](const std::string& p) { OnePhrase(p, IDS_SPRINT_ERROR, ResultWrongCarrier); },
    [](const std::string& p) { OnePhrase(p, IDS_TMOBILE_ERROR, ResultWrongCarrier); },
    VerizonConfirmationPage,
    [](const std::string& p) { FUZZ_CHECK(IsResult(ClassifyVerizonStatus(p))); },
    UsCellularStartPage,
    [](const std::string& p) {
        ErrorPage(p, ClassifyAnswer(p, IDS_TMOBILE_ERROR, ResultWrongCarrier));
    },
    [](const std::string& p) { ErrorPage(p, ClassifyVerizonStatus(p)); },
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
    kReaders[data[0] % kReaders.size()](page);
    return 0;
}
