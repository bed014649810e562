#pragma once
// Forms for the lab's strictness, exchange, fault and inspection tests, field for field, to be
// edited into the wrong ones those tests need.

#include <string>

#include "LabClient.h"

struct Job {
    std::string number;
    std::string senderName;
    std::string replyNumber;
    std::string replyEmail;
    std::string text;
};

std::string SenderLabel(const Job& job);
std::string ReplyLabel(const Job& job);

Fields AllTelForm(const Job& job);
Fields BoostCheckForm(const Job& job);
Fields BoostForm(const Job& job);
Fields CingularForm(const Job& job);
Fields NextelForm(const Job& job);
Fields SprintForm(const Job& job);
Fields TMobileForm(const Job& job);
Fields UsCellularForm(const Job& job, const std::string& session);
Fields VerizonForm(const Job& job);
Fields VerizonStatusForm(const std::string& messageId, const std::string& number);

// The session value as the client takes it from the start page: after the first "sesId" and
// the byte that follows it, up to a double quote.
std::string SessionValue(const std::string& page);

// The Verizon message ID as the client takes it: from 65 bytes after the status marker's
// first byte up to "<"; empty when there is no marker.
std::string VerizonMessageId(const std::string& page);

// The value of `name` in a fields list (the first of that name).
std::string& FieldValue(Fields& fields, const std::string& name);
