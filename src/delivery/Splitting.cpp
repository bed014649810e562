#include "delivery/Splitting.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "contacts/Contact.h"

namespace {

// Below this much room the word rule may cut a part back to nothing, or to no more than the
// "(cont)..." it starts with; from this much on every part carries message bytes.
constexpr std::int32_t kMinimumRoom = 15;

// A cut moves back to the last space when fewer than this many bytes follow it.
constexpr std::int32_t kWordWindow = 15;

std::int32_t Length(const std::string& text) {
    return static_cast<std::int32_t>(text.size());
}

std::int32_t Effective(const CSendJob& job, std::int32_t carrierOverride) {
    return carrierOverride != 0 ? carrierOverride : job.carrier;
}

// Room for message bytes in one part once the other texts and "...(cont)" are counted.
std::int32_t Room(const CSendJob& job, std::int32_t carrier) {
    const std::int32_t others = SentLength(job, carrier) - Length(job.text);
    return CarrierLimit(carrier) - others - static_cast<std::int32_t>(kContinuedMarker.size());
}

bool Fits(const CSendJob& job, std::int32_t carrier) {
    return SentLength(job, carrier) <= CarrierLimit(carrier);
}

}  // namespace

std::string SenderLabel(const CSendJob& job) {
    if (!job.senderName.empty())
        return job.senderName;
    if (!job.replyNumber.empty())
        return job.replyNumber;
    return job.replyEmail;
}

std::string ReplyLabel(const CSendJob& job) {
    if (!job.replyNumber.empty())
        return job.replyNumber;
    if (!job.senderName.empty())
        return job.senderName;
    return job.replyEmail;
}

std::int32_t SentLength(const CSendJob& job, std::int32_t carrierOverride) {
    const std::int32_t text = Length(job.text);
    switch (Effective(job, carrierOverride)) {
        case CarrierAllTel:
        case CarrierSprint:
        case CarrierUSCellular:
            return text;
        case CarrierATTWireless:
            return text + Length(job.replyNumber.empty() ? job.replyEmail : job.replyNumber);
        case CarrierBoost:
            return text + Length(SenderLabel(job));
        case CarrierCingular:
            return text + Length(SenderLabel(job)) + Length(job.replyNumber) + 10;
        case CarrierNextel: {
            const std::int32_t label = Length(SenderLabel(job));
            return label == 0 ? text : text + label + 2;
        }
        case CarrierTMobile:
            return text + Length(ReplyLabel(job));
        case CarrierVerizon:
            return text + Length(job.replyEmail) + Length(job.replyNumber) +
                   Length(SenderLabel(job));
        default:
            return 0;
    }
}

std::int32_t CarrierLimit(std::int32_t carrier) {
    static constexpr std::array<std::int32_t, kCarrierCount> kLimits = {132, 160, 160, 280, 160,
                                                                        500, 160, 140, 132, 160};
    if (carrier < 0 || carrier >= kCarrierCount)
        return 132;
    return kLimits[static_cast<std::size_t>(carrier)];
}

bool SplitLeavesNoRoom(const CSendJob& job, std::int32_t carrierOverride) {
    const std::int32_t carrier = Effective(job, carrierOverride);
    return !Fits(job, carrier) && Room(job, carrier) < kMinimumRoom;
}

std::string SplitForCarrier(const CSendJob& job, std::string& rest, std::int32_t carrierOverride) {
    rest.clear();
    const std::int32_t carrier = Effective(job, carrierOverride);
    if (Fits(job, carrier))
        return job.text;  // nothing is added to a message that fits
    const std::int32_t room = Room(job, carrier);
    if (room < kMinimumRoom)
        return {};  // refused: see SplitLeavesNoRoom

    std::string_view text = job.text;
    std::string_view part = text.substr(0, static_cast<std::size_t>(room));
    // Step back to the last space when only a short broken word follows it; no space counts as
    // a space just before the text.
    const auto space = part.rfind(' ');
    const std::int64_t p = space == std::string_view::npos ? -1 : static_cast<std::int64_t>(space);
    if (static_cast<std::int64_t>(part.size()) - p < kWordWindow) {
        part = part.substr(0, p < 0 ? 0 : space);
    }

    std::string_view remainder = text.substr(part.size());
    const auto firstKept = std::find_if_not(remainder.begin(), remainder.end(), IsBlank);
    remainder.remove_prefix(static_cast<std::size_t>(firstKept - remainder.begin()));
    rest.reserve(kContinuesMarker.size() + remainder.size());
    rest.append(kContinuesMarker).append(remainder);

    std::string cut;
    cut.reserve(part.size() + kContinuedMarker.size());
    cut.append(part).append(kContinuedMarker);
    return cut;
}

int CountParts(const CSendJob& job, std::int32_t carrier) {
    CSendJob part = job;
    std::string rest;
    for (int parts = 1;; ++parts) {
        if (SplitLeavesNoRoom(part, carrier))
            return 0;
        SplitForCarrier(part, rest, carrier);
        if (rest.empty())
            return parts;
        part.text.swap(rest);
    }
}
