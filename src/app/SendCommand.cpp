#include "app/SendCommand.h"

#include <algorithm>

#include "base/Text.h"
#include "contacts/AddressBookLookup.h"
#include "contacts/PhoneNumbers.h"
#include "res/StringTable.h"
#include "storage/AppSettings.h"

namespace {

constexpr std::string_view kMyInfoPrefix = "MyInfo: ";

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// At most three parts: before the first comma, between the first and the second, after the last.
std::vector<std::string_view> SplitSenderParts(std::string_view text) {
    const size_t first = text.find(',');
    if (first == std::string_view::npos)
        return {text};
    const size_t last = text.rfind(',');
    if (first == last)
        return {text.substr(0, first), text.substr(first + 1)};
    const size_t second = text.find(',', first + 1);
    return {text.substr(0, first), text.substr(first + 1, second - first - 1),
            text.substr(last + 1)};
}

}  // namespace

std::vector<std::string_view> SplitToItems(std::string_view text) {
    std::vector<std::string_view> items;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

std::string ResolveRecipientItem(const AddressBook& book, std::string_view item) {
    // A blank item (", ," or a trailing ", ") names nobody: it must not be looked up, where it
    // would match the first entry without a second name.
    if (TrimBlanks(item).empty())
        return {};
    if (std::string digits = NormalizeDigits(item); digits.size() == 10)
        return digits;
    return LookupNumberByName(book, item);
}

std::string MyInfoText(const CAppSettings& s) {
    std::vector<std::string> parts;
    if (!s.MyName.empty())
        parts.push_back(s.MyName);
    if (!s.MyNumber.empty())
        parts.push_back(FormatPhoneNumber(s.MyNumber));
    if (!s.MyEmail.empty())
        parts.push_back(s.MyEmail);
    if (parts.empty())
        return std::string(kMyInfoPrompt);
    std::string text(kMyInfoPrefix);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += parts[i];
    }
    return text;
}

std::string ValidateSendTexts(std::string_view to, std::string_view from,
                              std::string_view message) {
    // Blanks count as content: only a text with no characters at all is empty.
    if (to.empty())
        return "No recipient has been entered.";
    if (message.empty())
        return "There is no message to send!";
    if (from.empty())
        return "Please put your information in the \"From\" field.";
    return {};
}

void UpdateRecentLists(CAppSettings& settings, const std::string& to, const std::string& from) {
    PushRecent(settings.RecentTo, to, CAppSettings::kRecentToLimit);
    if (from == MyInfoText(settings)) {
        settings.MyInfoSelectedInRecentFromList = 1;
    } else {
        settings.MyInfoSelectedInRecentFromList = 0;
        PushRecent(settings.RecentFrom, from, CAppSettings::kRecentFromLimit);
    }
}

ResolvedRecipients ResolveRecipients(const AddressBook& book, std::string_view toText) {
    ResolvedRecipients result;
    for (std::string_view item : SplitToItems(toText)) {
        const std::string trimmed = TrimBlanks(item);
        if (trimmed.empty())
            continue;
        if (std::string number = ResolveRecipientItem(book, item); !number.empty()) {
            result.numbers.push_back(std::move(number));
        } else {
            result.numbers.clear();
            result.error =
                IsAllDigits(trimmed)
                    ? "Error: The destination number \"" + trimmed + "\" does not have 10 digits"
                    : "Error: An address Book entry was not found for \"" + trimmed + "\"";
            break;
        }
    }
    return result;
}

int ClassifySenderPart(std::string_view part) {
    if (part.find('@') != std::string_view::npos)
        return SenderPartEmail;
    if (NormalizeDigits(part).size() == 10)
        return SenderPartNumber;
    return SenderPartName;
}

void FillSenderFields(std::string_view fromText, const CAppSettings& settings, CSendJob& job) {
    if (fromText.starts_with(kMyInfoPrefix)) {
        job.senderName = settings.MyName;
        job.replyNumber = settings.MyNumber;
        job.replyEmail = settings.MyEmail;
        return;
    }
    for (std::string_view raw : SplitSenderParts(fromText)) {
        std::string part = TrimBlanks(raw);
        if (part.empty())
            continue;
        switch (ClassifySenderPart(part)) {
            case SenderPartEmail:
                job.replyEmail = std::move(part);
                break;
            case SenderPartNumber:
                job.replyNumber = NormalizeDigits(part);
                break;
            default:
                job.senderName = std::move(part);
                break;
        }
    }
}

std::vector<CSendJob> BuildSendJobs(const std::vector<std::string>& numbers,
                                    std::string_view fromText, std::string_view message,
                                    const CAppSettings& settings) {
    std::vector<CSendJob> jobs;
    jobs.reserve(numbers.size());
    for (const std::string& number : numbers) {
        CSendJob job;
        FillSenderFields(fromText, settings, job);
        job.number = number;
        job.text = std::string(message);
        job.carrier = CarrierForNumber(settings.AddressBook, number);
        // A number that is not in the book shows as itself: no name for the history.
        if (std::string name = DisplayNameForNumber(settings.AddressBook, number); name != number)
            job.shownName = std::move(name);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

PreparedBatch PrepareSendBatch(CAppSettings& settings, const std::string& to,
                               const std::string& from, const std::string& message,
                               const RouteSettings& route, std::string_view typed) {
    PreparedBatch batch;
    batch.problem = ValidateSendTexts(to, from, message);
    if (!batch.problem.empty())
        return batch;
    UpdateRecentLists(settings, to, from);
    batch.recentUpdated = true;

    ResolvedRecipients resolved = ResolveRecipients(settings.AddressBook, to);
    if (!resolved.error.empty())
        batch.problem = std::move(resolved.error);
    else if (resolved.numbers.empty())
        batch.problem = ValidateSendTexts({}, from, message);  // say so rather than do nothing
    else
        batch.jobs = BuildSendJobs(resolved.numbers, from, message, settings);
    ApplyRoute(batch.jobs, route, typed);
    return batch;
}

void ApplyRoute(std::vector<CSendJob>& jobs, const RouteSettings& route, std::string_view typed) {
    for (CSendJob& job : jobs) {
        job.route = route;
        job.typedText = std::string(typed);
    }
}

SendReport MakeSendReport(const SendFailureList& failures, const AddressBook& book) {
    if (failures.empty())
        return {LoadString(IDS_MESSAGE_SENT), MbIcon::Information, true};
    if (failures.size() == 1) {
        const SendFailure& f = failures.front();
        return {"An error occurred while sending your message to " +
                    DisplayNameForNumber(book, f.number) + "\n" + f.text,
                MbIcon::None, false};
    }
    std::string text = "Errors occurred while sending your message to the following recipients:\n";
    for (const SendFailure& f : failures) {
        text += "  -" + DisplayNameForNumber(book, f.number) + ": " + f.text + "\n";
    }
    return {text, MbIcon::None, false};
}
