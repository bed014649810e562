#include "app/PartPreview.h"

#include <algorithm>
#include <array>

#include "app/SendCommand.h"
#include "base/Text.h"
#include "contacts/AddressBookLookup.h"
#include "contacts/PhoneNumbers.h"
#include "delivery/CarrierDispatch.h"
#include "delivery/Splitting.h"
#include "storage/AppSettings.h"

namespace {

// Lines of the tooltip: more would cover the window.
constexpr std::size_t kMostRecipientLines = 20;
constexpr std::size_t kMostNamedCharacters = 20;
// Items typed earlier are remembered up to this many beside the current ones, then forgotten
// all at once (never in the middle of an update).
constexpr std::size_t kMostRemembered = 4096;

// The parts each carrier takes for one set of sender texts and message, counted when needed.
class CarrierCounts {
public:
    explicit CarrierCounts(CSendJob job) : m_job(std::move(job)) { m_counts.fill(-1); }

    int For(std::int32_t carrier) {
        if (carrier < 0 || carrier >= kCarrierCount)
            return 0;  // a code from a damaged file: nothing is sent
        int& count = m_counts[static_cast<std::size_t>(carrier)];
        if (count < 0)
            count = CountParts(m_job, carrier);
        return count;
    }

    // Over the carriers the recipient may go by; carriers that leave no room are left out.
    RecipientParts Range(std::int32_t carrier) {
        RecipientParts parts;
        parts.carrier = carrier;
        const auto take = [&](std::int32_t c) {
            const int count = For(c);
            if (count == 0)
                return;
            parts.fewest = parts.fewest == 0 ? count : std::min(parts.fewest, count);
            parts.most = std::max(parts.most, count);
        };
        if (carrier == CarrierAutoDetect) {
            for (const std::int32_t c : kAutoDetectCarriers) take(c);
        } else {
            take(carrier);
        }
        return parts;
    }

private:
    CSendJob m_job;
    std::array<int, kCarrierCount> m_counts{};
};

std::string Plural(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// "2", or "1–3" when the count depends on the carrier auto-detection finds.
std::string CountText(int fewest, int most) {
    return fewest == most ? std::to_string(most)
                          : std::to_string(fewest) + "\u2013" + std::to_string(most);
}

std::string PartsText(int fewest, int most) {
    return CountText(fewest, most) + (most == 1 ? " part" : " parts");
}

std::string RecipientLine(const RecipientParts& r) {
    const std::string_view carrier = CarrierName(r.carrier);
    if (carrier.empty())
        return Cp1252ToUtf8(r.label) + " (unknown carrier): cannot be sent";
    std::string line = Cp1252ToUtf8(r.label) + " (" + std::string(carrier) + "): ";
    return line + (r.most == 0 ? "no room beside the From details" : PartsText(r.fewest, r.most));
}

std::string UnsendableLine(const UnsendableCharacters& unsendable) {
    std::string line =
        Plural(static_cast<std::size_t>(unsendable.count), "character", "characters") +
        " cannot be sent:";
    const std::size_t named = std::min(unsendable.distinct.size(), kMostNamedCharacters);
    for (std::size_t i = 0; i < named; ++i) line += " " + unsendable.distinct[i];
    if (named < unsendable.distinct.size())
        line += " \u2026";
    return line;
}

}  // namespace

const CPartPreview::Recipient& CPartPreview::Resolve(const CAppSettings& settings,
                                                     std::string_view item) {
    if (const auto known = m_items.find(item); known != m_items.end())
        return known->second;
    Recipient recipient;
    const AddressBook& book = settings.AddressBook;
    if (const std::string number = ResolveRecipientItem(book, item); !number.empty()) {
        recipient.label = DisplayNameForNumber(book, number);
        if (recipient.label == number)
            recipient.label = FormatPhoneNumber(number);
        recipient.carrier = CarrierForNumber(book, number);
    }
    return m_items.emplace(std::string(item), std::move(recipient)).first->second;
}

PartPreviewResult CPartPreview::Update(const CAppSettings& settings, std::string_view to,
                                       std::string_view from, std::string_view message) {
    PartPreviewResult result;
    result.length = message.size();
    if (message.empty())
        return result;
    CSendJob job;
    FillSenderFields(from, settings, job);
    job.text = std::string(message);
    CarrierCounts counts(std::move(job));
    const std::vector<std::string_view> items = SplitToItems(to);
    if (m_items.size() > kMostRemembered + items.size())
        m_items.clear();
    for (const std::string_view item : items) {
        const Recipient& recipient = Resolve(settings, item);
        if (recipient.label.empty())
            continue;
        RecipientParts parts = counts.Range(recipient.carrier);
        parts.label = recipient.label;
        result.fewest = std::max(result.fewest, parts.fewest);
        result.most = std::max(result.most, parts.most);
        result.recipients.push_back(std::move(parts));
    }
    return result;
}

PreviewReadOut MakePreviewReadOut(const PartPreviewResult& parts,
                                  const UnsendableCharacters& unsendable) {
    PreviewReadOut out;
    out.warning = unsendable.count > 0;
    if (parts.length == 0 && !out.warning)
        return out;

    std::vector<std::string> lines;
    if (out.warning)
        lines.push_back(UnsendableLine(unsendable));
    if (parts.length > 0) {
        std::string summary = Plural(parts.length, "character", "characters");
        out.text = std::to_string(parts.length);
        if (parts.most > 0) {
            summary += " in " + PartsText(parts.fewest, parts.most);
            out.text +=
                "/" + std::to_string(parts.most);  // the largest count; ranges in the tooltip
        }
        lines.push_back(std::move(summary));
    }
    const std::size_t shown = std::min(parts.recipients.size(), kMostRecipientLines);
    for (std::size_t i = 0; i < shown; ++i) lines.push_back(RecipientLine(parts.recipients[i]));
    if (shown < parts.recipients.size())
        lines.push_back("\u2026 and " + std::to_string(parts.recipients.size() - shown) + " more");
    if (out.warning)
        out.text = out.text.empty() ? "\u26A0" : "\u26A0 " + out.text;

    for (const std::string& line : lines) out.toolTip += (out.toolTip.empty() ? "" : "\n") + line;
    return out;
}
