#include <gtest/gtest.h>

#include <algorithm>

#include "app/PartPreview.h"
#include "app/SendCommand.h"
#include "contacts/AddressBookLookup.h"
#include "delivery/CarrierDispatch.h"
#include "delivery/Splitting.h"
#include "storage/AppSettings.h"

namespace {

constexpr std::string_view kFrom = "Vera, 555-987-6543, vera@example.org";

// One contact per carrier code, "C0" (Auto-Detect) to "C9", numbers 555000000<code>.
CAppSettings OnePerCarrier() {
    CAppSettings settings;
    for (std::int32_t code = 0; code < kCarrierCount; ++code) {
        settings.AddressBook.push_back(
            {"C" + std::to_string(code), "", "555000000" + std::to_string(code), code});
    }
    return settings;
}

// Words of varying length, so the cuts fall on spaces and inside words.
std::string Message(std::size_t length) {
    std::string text;
    for (std::size_t word = 1; text.size() < length; ++word)
        text.append(std::string(word % 11 + 1, 'a' + static_cast<char>(word % 26))).append(" ");
    text.resize(length);
    return text;
}

int Parts(const CAppSettings& settings, std::string_view from, const std::string& message,
          std::int32_t carrier) {
    CSendJob job;
    FillSenderFields(from, settings, job);
    job.text = message;
    return CountParts(job, carrier);
}

}  // namespace

// Every carrier, short and long messages, with and without sender texts: each recipient's count
// is what the send worker's own split makes of that job; Auto-Detect spans its carriers.
TEST(PartPreview, CountsAreTheSplitOfEachRecipientsJob) {
    const CAppSettings settings = OnePerCarrier();
    const std::string to = "C0, C1,C2 ,C3,C4,C5,C6,C7,C8,C9";
    for (const std::size_t length : {1u, 120u, 133u, 161u, 300u, 2500u}) {
        for (const std::string_view from : {std::string_view("5559876543"), kFrom}) {
            const std::string message = Message(length);
            const PartPreviewResult result = CPartPreview().Update(settings, to, from, message);
            SCOPED_TRACE(testing::Message() << "length " << length << ", from " << from);
            ASSERT_EQ(result.recipients.size(), 10u);
            EXPECT_EQ(result.length, length);
            int most = 0;
            for (std::int32_t code = 1; code < kCarrierCount; ++code) {
                const RecipientParts& r = result.recipients[static_cast<std::size_t>(code)];
                const int expected = Parts(settings, from, message, code);
                EXPECT_EQ(r.carrier, code);
                EXPECT_EQ(r.fewest, expected) << CarrierName(code);
                EXPECT_EQ(r.most, expected) << CarrierName(code);
                most = std::max(most, expected);
            }
            std::vector<int> detected;
            for (const std::int32_t code : kAutoDetectCarriers)
                detected.push_back(Parts(settings, from, message, code));
            EXPECT_EQ(result.recipients[0].fewest,
                      *std::min_element(detected.begin(), detected.end()));
            EXPECT_EQ(result.recipients[0].most,
                      *std::max_element(detected.begin(), detected.end()));
            EXPECT_EQ(result.most, most);
        }
    }
}

TEST(PartPreview, ReadOutAndTooltipNameEachRecipient) {
    CAppSettings settings;
    settings.AddressBook = {{"Vera Zon", "", "5550000009", CarrierVerizon},
                            {"Al", "", "5550000001", CarrierAutoDetect}};
    const std::string message = Message(300);
    CPartPreview preview;
    // An item that names nobody and a blank one are left out; a number outside the book shows
    // in its display form.
    const PartPreviewResult result =
        preview.Update(settings, "vera zon, Nobody, ,5551234567,Al", "Me", message);
    ASSERT_EQ(result.recipients.size(), 3u);

    const int verizon = Parts(settings, "Me", message, CarrierVerizon);
    const int fewest = Parts(settings, "Me", message, CarrierNextel);
    const int most = Parts(settings, "Me", message, CarrierUSCellular);
    ASSERT_LT(fewest, most);  // so Auto-Detect shows a range
    ASSERT_LE(verizon, most);
    const auto span = [](int a, int b) {
        return a == b ? std::to_string(a) : std::to_string(a) + "\u2013" + std::to_string(b);
    };
    const std::string range = span(fewest, most);
    const std::string largest = span(std::max(verizon, fewest), most);
    const PreviewReadOut readOut = MakePreviewReadOut(result, {});
    EXPECT_EQ(readOut.text, "300/" + std::to_string(most));  // the largest count only
    EXPECT_FALSE(readOut.warning);
    EXPECT_EQ(readOut.toolTip, "300 characters in " + largest + " parts\n" +
                                   "Vera Zon (Verizon): " + std::to_string(verizon) + " parts\n" +
                                   "(555) 123-4567 (Auto-Detect): " + range + " parts\n" +
                                   "Al (Auto-Detect): " + range + " parts");

    // With unsendable characters the warning comes first; no message, no count.
    const UnsendableCharacters found = FindUnsendable("\u0416 \U0001F600 \u0416");
    EXPECT_EQ(MakePreviewReadOut(result, found).text, "\u26A0 300/" + std::to_string(most));
    const PreviewReadOut toOnly =
        MakePreviewReadOut(preview.Update(settings, "Al", "Me", ""), found);
    EXPECT_EQ(toOnly.text, "\u26A0");
    EXPECT_EQ(toOnly.toolTip, "3 characters cannot be sent: \u0416 \U0001F600");
    EXPECT_EQ(MakePreviewReadOut(preview.Update(settings, "Al", "Me", ""), {}).text, "");
    // No recipient: the length alone.
    EXPECT_EQ(MakePreviewReadOut(preview.Update(settings, "", "Me", "hi"), {}).toolTip,
              "2 characters");
}

TEST(PartPreview, SenderTextsThatLeaveNoRoomAreSaidSoAndLongListsAreCut) {
    CAppSettings settings = OnePerCarrier();
    const std::string from = std::string(130, 'n') + ", 5559876543, v@example.org";
    std::string to;
    for (int i = 0; i < 25; ++i) to += "C9,";
    const PartPreviewResult result = CPartPreview().Update(settings, to, from, Message(400));
    ASSERT_EQ(result.recipients.size(), 25u);
    EXPECT_EQ(result.most, 0);
    const std::string tip = MakePreviewReadOut(result, {}).toolTip;
    EXPECT_EQ(tip.substr(0, tip.find('\n')), "400 characters");
    EXPECT_NE(tip.find("C9 (Verizon): no room beside the From details"), std::string::npos);
    // A carrier code from a damaged file sends nothing.
    settings.AddressBook[9].Carrier = 42;
    const PartPreviewResult unknown = CPartPreview().Update(settings, "C9", "Me", "hi");
    EXPECT_EQ(MakePreviewReadOut(unknown, {}).toolTip,
              "2 characters\nC9 (unknown carrier): cannot be sent");
    EXPECT_EQ(std::count(tip.begin(), tip.end(), '\n'), 21);
    EXPECT_TRUE(tip.ends_with("\u2026 and 5 more"));
}

TEST(PartPreview, RemembersLookupsUntilTheBookChanges) {
    CAppSettings settings = OnePerCarrier();
    CPartPreview preview;
    const std::string message = Message(300);
    EXPECT_EQ(preview.Update(settings, "C0", "Me", message).recipients.at(0).carrier, 0);
    SetCarrierForNumber(settings.AddressBook, "5550000000", CarrierVerizon);
    EXPECT_EQ(preview.Update(settings, "C0", "Me", message).recipients.at(0).carrier, 0);
    preview.ForgetAddressBook();
    EXPECT_EQ(preview.Update(settings, "C0", "Me", message).recipients.at(0).carrier,
              CarrierVerizon);
}
