#include "CarrierForms.h"

#include <algorithm>
#include <stdexcept>

#include "res/StringTable.h"

namespace {

std::string N(long long n) {
    return std::to_string(n);
}
long long L(const std::string& s) {
    return static_cast<long long>(s.size());
}

}  // namespace

std::string SenderLabel(const Job& job) {
    if (!job.senderName.empty())
        return job.senderName;
    if (!job.replyNumber.empty())
        return job.replyNumber;
    return job.replyEmail;
}

std::string ReplyLabel(const Job& job) {
    if (!job.replyNumber.empty())
        return job.replyNumber;
    if (!job.senderName.empty())
        return job.senderName;
    return job.replyEmail;
}

Fields AllTelForm(const Job& job) {
    return {{"trackResponses", "No"},
            {"devicetype", "1"},
            {"min", job.number},
            {"callback", job.replyNumber},
            {"text", job.text},
            {"count", N(160 - L(job.text))},
            {"type", "0"},
            {"Send.x", "1"},
            {"Send.y", "1"}};
}

Fields BoostCheckForm(const Job& job) {
    return {{"cmd", "buildPageForm"}, {"newnumber", job.number}};
}

Fields BoostForm(const Job& job) {
    std::string label = SenderLabel(job);
    return {{"cmd", "sendPage"},
            {"oneWayPTNs", ""},
            {"twoWayPTNs", job.number},
            {"schedule", ""},
            {"from", label},
            {"subject", ""},
            {"message", job.text},
            {"count", N(L(job.text) + L(label))},
            {"rep1", ""},
            {"rep2", ""},
            {"rep3", ""},
            {"rep4", ""},
            {"rep5", ""},
            {"rep6", ""},
            {"replynumber", job.replyNumber},
            {"replyemail", job.replyEmail}};
}

Fields CingularForm(const Job& job) {
    std::string label = SenderLabel(job);
    long long r = job.replyNumber.empty() ? 0 : L(job.replyNumber) + 10;
    return {{"from", label},
            {"min", job.number},
            {"subject", ""},
            {"msg", job.text},
            {"charCount", N(160 - r - L(label) - L(job.text) - 9)},
            {"priority", "Normal"},
            {"deliveryTime", "0"},
            {"callback", job.replyNumber},
            {"replyto", job.replyEmail}};
}

Fields NextelForm(const Job& job) {
    std::string label = SenderLabel(job);
    long long count = L(job.text) + (label.empty() ? 0 : L(label) + 2);
    Fields fields = {{"cmd", "sendPage"}, {"oneWayPTNs", ""}, {"twoWayPTNs", job.number + " "},
                     {"from", label},     {"subject", ""},    {"message", job.text},
                     {"count", N(count)}, {"replycnt", "7"},  {"replycnt", "7"}};
    for (int i = 1; i <= 7; ++i) fields.emplace_back("rep" + std::to_string(i), "");
    fields.insert(fields.end(), {{"replynumber", job.replyNumber},
                                 {"replyemail", job.replyEmail},
                                 {"schedule", ""},
                                 {"x", "1"},
                                 {"y", "1"}});
    return fields;
}

Fields SprintForm(const Job& job) {
    return {{"phoneNumber", job.number},
            {"message", job.text},
            {"characters", N(160 - L(job.text))},
            {"callBackNumber", ReplyLabel(job)},
            {"x", "1"},
            {"y", "1"}};
}

Fields TMobileForm(const Job& job) {
    return {{"receiver", job.number}, {"sender", SenderLabel(job)},
            {"text", job.text},       {"count", N(140 - L(job.text) - L(ReplyLabel(job)))},
            {"msgTermsUse", "on"},    {"Send.x", "1"},
            {"Send.y", "1"}};
}

Fields UsCellularForm(const Job& job, const std::string& session) {
    return {{"sesId", session},        {"MSG", "From: " + job.replyNumber + "\n" + job.text},
            {"ADDRESSES", job.number}, {"FROMADDRESS", job.replyNumber},
            {"MSG_TMP", job.text},     {"count", N(132 - L(job.text))},
            {"tc_agree", "on"}};
}

Fields VerizonForm(const Job& job) {
    std::string label = SenderLabel(job);
    long long count = 160 - L(job.text) - L(job.replyEmail) - L(job.replyNumber) - L(label);
    return {{"min", job.number},
            {"DOMAIN_NAME", "@" + LoadString(IDS_VERIZON_DOMAIN)},
            {"trackResponses", "No"},
            {"showgroup", "n"},
            {"translatorButton", ""},
            {"count", N(count)},
            {"subject", label},
            {"callback", job.replyNumber},
            {"type", "0"},
            {"Send.x", "Yes"},
            {"Send.y", "12"},
            {"sender", job.replyEmail},
            {"text", job.text},
            {"message", ""},
            {"sender", job.replyEmail},
            {"disclaimer_submit.x", "3"},
            {"disclaimer_submit.y", "4"}};
}

Fields VerizonStatusForm(const std::string& messageId, const std::string& number) {
    return {{"STATUS_MSGID", messageId}, {"STATUS_DESTNUM", number}};
}

std::string SessionValue(const std::string& page) {
    auto at = page.find("sesId");
    std::size_t start = at == std::string::npos ? 5 : at + 6;
    if (start >= page.size())
        return {};
    return page.substr(start, page.find('"', start) - start);
}

std::string VerizonMessageId(const std::string& page) {
    auto at = page.find("Status of message</b></FONT>&nbsp;");
    if (at == std::string::npos || at + 65 > page.size())
        return {};
    auto end = page.find('<', at + 65);
    if (end == std::string::npos)
        return {};
    return page.substr(at + 65, end - (at + 65));
}

std::string& FieldValue(Fields& fields, const std::string& name) {
    auto it =
        std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == name; });
    if (it == fields.end())
        throw std::runtime_error("no field " + name);
    return it->second;
}
