#pragma once
// The send command's rules, apart from the window: validation, recipients, sender details,
// the recent lists, and the report of a finished batch.

#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"
#include "delivery/SendFailure.h"
#include "delivery/SendJob.h"
#include "runtime/UiServices.h"

class CAppSettings;

// The sender entry that invites the user to set up their own details.
inline constexpr std::string_view kMyInfoPrompt = "MyInfo...";

// kMyInfoPrompt when no own details are set, else "MyInfo: " + the set ones joined by ", "
// (the number in display form).
std::string MyInfoText(const CAppSettings& settings);

// The first validation message for the three texts, or an empty text when they may be sent.
std::string ValidateSendTexts(std::string_view to, std::string_view from, std::string_view message);

// Moves the texts just used to the top of RecentTo and RecentFrom (or marks the MyInfo entry
// as the sender used last, leaving RecentFrom alone).
void UpdateRecentLists(CAppSettings& settings, const std::string& to, const std::string& from);

struct ResolvedRecipients {
    std::vector<std::string> numbers;  // ten digits each, in the order of the To text
    std::string error;                 // set when an item could not be resolved
};

// The items of the To text: separated by commas only; a comma at the very end adds none.
std::vector<std::string_view> SplitToItems(std::string_view text);

// The ten-digit number one To item names, by itself or by address-book name; an empty text
// when it names none. A blank item names none.
std::string ResolveRecipientItem(const AddressBook& book, std::string_view item);

// Splits the To text at its commas and turns each item into a ten-digit number, by itself or by
// address-book name. One bad item cancels all. Items that are blank are skipped.
ResolvedRecipients ResolveRecipients(const AddressBook& book, std::string_view toText);

enum SenderPartKind { SenderPartName = 0, SenderPartNumber = 1, SenderPartEmail = 2 };
int ClassifySenderPart(std::string_view part);

// Fills the job's senderName, replyNumber and replyEmail from the From text.
void FillSenderFields(std::string_view fromText, const CAppSettings& settings, CSendJob& job);

// One job per recipient: sender fields from the From text, the whole message, the carrier from
// the address book.
std::vector<CSendJob> BuildSendJobs(const std::vector<std::string>& numbers,
                                    std::string_view fromText, std::string_view message,
                                    const CAppSettings& settings);

struct PreparedBatch {
    std::vector<CSendJob> jobs;  // one per recipient, ready to queue
    std::string problem;         // what to tell the user instead, when set
    bool recentUpdated = false;  // the recent lists changed (they do once the texts are valid)
};

// The send command's decision for the three texts: validation first, then the recent lists,
// then the recipients; a To text of only blanks and commas is told as no recipient. The jobs go
// out on `route`, carrying the message as typed (`typed`, UTF-8) beside the program text.
PreparedBatch PrepareSendBatch(CAppSettings& settings, const std::string& to,
                               const std::string& from, const std::string& message,
                               const RouteSettings& route, std::string_view typed);

// Puts the route and the message as typed (UTF-8) into every job of the batch.
void ApplyRoute(std::vector<CSendJob>& jobs, const RouteSettings& route, std::string_view typed);

struct SendReport {
    std::string text;
    MbIcon icon = MbIcon::None;
    bool allSent = false;
};

// What the user is told when a batch has finished.
SendReport MakeSendReport(const SendFailureList& failures, const AddressBook& book);
