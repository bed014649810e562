#include <gtest/gtest.h>

#include "app/SendCommand.h"
#include "storage/AppSettings.h"

namespace {

const AddressBook kBook = {
    {"Ann Lee", "", "5550000001", CarrierVerizon},
    {"Bob", "", "5550000002", CarrierAutoDetect},
    {"Carl", "Charlie", "5550000003", CarrierNextel},
};

}  // namespace

TEST(SendCommand, ValidationNamesTheFirstEmptyFieldInOrder) {
    EXPECT_EQ(ValidateSendTexts("", "", ""), "No recipient has been entered.");
    EXPECT_EQ(ValidateSendTexts("x", "", ""), "There is no message to send!");
    EXPECT_EQ(ValidateSendTexts("x", "", "m"),
              "Please put your information in the \"From\" field.");
    EXPECT_EQ(ValidateSendTexts(" ", " ", " "), "");  // blanks count as content
}

TEST(SendCommand, RecipientsAreNumbersOrNamesSeparatedByCommasOnly) {
    auto r =
        ResolveRecipients(kBook, "(555) 123-4567,555.123.4567, 555 123 4567 ,  ann LEE ,charlie,");
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.numbers, (std::vector<std::string>{"5551234567", "5551234567", "5551234567",
                                                   "5550000001", "5550000003"}));

    // Repeated items are not merged.
    EXPECT_EQ(ResolveRecipients(kBook, "Bob,Bob").numbers.size(), 2u);
    // A semicolon does not separate.
    EXPECT_EQ(ResolveRecipients(kBook, "Bob;Ann Lee").error,
              "Error: An address Book entry was not found for \"Bob;Ann Lee\"");
}

TEST(SendCommand, OneBadItemCancelsEveryRecipient) {
    auto shortNumber = ResolveRecipients(kBook, "Bob, 12345 ");
    EXPECT_TRUE(shortNumber.numbers.empty());
    EXPECT_EQ(shortNumber.error, "Error: The destination number \"12345\" does not have 10 digits");

    auto eleven = ResolveRecipients(kBook, "15551234567");
    EXPECT_EQ(eleven.error,
              "Error: The destination number \"15551234567\" does not have 10 digits");

    // Eleven digits with a hyphen are looked up as a name and not found.
    auto prefixed = ResolveRecipients(kBook, "Ann Lee,1-555-123-4567");
    EXPECT_TRUE(prefixed.numbers.empty());
    EXPECT_EQ(prefixed.error, "Error: An address Book entry was not found for \"1-555-123-4567\"");

    auto unknown = ResolveRecipients(kBook, "Bob,  Zed Q \t");
    EXPECT_TRUE(unknown.numbers.empty());
    EXPECT_EQ(unknown.error, "Error: An address Book entry was not found for \"Zed Q\"");
}

TEST(SendCommand, BlankItemsNameNobody) {
    // Left alone, a blank item would match the first contact without a second name.
    EXPECT_EQ(ResolveRecipients(kBook, "Ann Lee, ,Bob").numbers,
              (std::vector<std::string>{"5550000001", "5550000002"}));
    EXPECT_EQ(ResolveRecipients(kBook, "Carl, ").numbers, (std::vector<std::string>{"5550000003"}));
    auto onlyBlanks = ResolveRecipients(kBook, " , ,");
    EXPECT_TRUE(onlyBlanks.numbers.empty());
    EXPECT_EQ(onlyBlanks.error, "");
}

TEST(SendCommand, SenderPartsAreSortedIntoNameNumberAndEmailWhateverTheirOrder) {
    CAppSettings settings;
    CSendJob job;
    FillSenderFields(" me@example.org , (555) 987-6543,  Dana ", settings, job);
    EXPECT_EQ(job.senderName, "Dana");
    EXPECT_EQ(job.replyNumber, "5559876543");
    EXPECT_EQ(job.replyEmail, "me@example.org");

    CSendJob numberOnly;
    FillSenderFields("5559876543", settings, numberOnly);
    EXPECT_EQ(numberOnly.replyNumber, "5559876543");
    EXPECT_EQ(numberOnly.senderName, "");

    // Text between the second and the last comma is ignored; a later part of a kind wins.
    CSendJob many;
    FillSenderFields("Ann, Bob, ignored, skipped, Cy", settings, many);
    EXPECT_EQ(many.senderName, "Cy");

    EXPECT_EQ(ClassifySenderPart("a@b"), SenderPartEmail);
    EXPECT_EQ(ClassifySenderPart("call 555 123 4567"), SenderPartNumber);
    EXPECT_EQ(ClassifySenderPart("555-1234"), SenderPartName);
}

TEST(SendCommand, TheMyInfoEntryCarriesTheStoredDetails) {
    CAppSettings s;
    EXPECT_EQ(MyInfoText(s), "MyInfo...");
    s.MyEmail = "me@example.org";
    EXPECT_EQ(MyInfoText(s), "MyInfo: me@example.org");
    s.MyName = "Dana";
    s.MyNumber = "5559876543";
    EXPECT_EQ(MyInfoText(s), "MyInfo: Dana, (555) 987-6543, me@example.org");

    CSendJob job;
    FillSenderFields(MyInfoText(s), s, job);
    EXPECT_EQ(job.senderName, "Dana");
    EXPECT_EQ(job.replyNumber, "5559876543");
    EXPECT_EQ(job.replyEmail, "me@example.org");

    // Choosing the MyInfo entry marks it and leaves the recent senders alone.
    s.RecentFrom = {"Old"};
    UpdateRecentLists(s, "Bob", MyInfoText(s));
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 1);
    EXPECT_EQ(s.RecentFrom, (std::vector<std::string>{"Old"}));
    UpdateRecentLists(s, "Bob", "Someone");
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 0);
    EXPECT_EQ(s.RecentFrom, (std::vector<std::string>{"Someone", "Old"}));
    EXPECT_EQ(s.RecentTo, (std::vector<std::string>{"Bob"}));
}

TEST(SendCommand, JobsTakeTheCarrierFromTheAddressBook) {
    CAppSettings s;
    s.AddressBook = kBook;
    auto jobs = BuildSendJobs({"5550000001", "5551234567"}, "Dana", "Hi", s);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].carrier, CarrierVerizon);
    EXPECT_EQ(jobs[1].carrier, CarrierAutoDetect);
    EXPECT_EQ(jobs[1].text, "Hi");
    EXPECT_EQ(jobs[1].senderName, "Dana");
    EXPECT_EQ(jobs[1].reserved, "");
    EXPECT_EQ(jobs[0].shownName, kBook[0].Name);
    EXPECT_EQ(jobs[1].shownName, "");
}

TEST(SendCommand, TheBatchGoesOutOnTheRouteWithTheMessageAsTyped) {
    CAppSettings s;
    s.AddressBook = kBook;
    RouteSettings modem;
    modem.route = RouteModem;
    modem.countryCode = "44";
    modem.deliveryReports = true;
    const PreparedBatch batch = PrepareSendBatch(s, "5551234567, " + kBook[0].Name, "Dana", "Caf?",
                                                 modem, "Caf\u00e9 \u263a");
    EXPECT_EQ(batch.problem, "");
    EXPECT_TRUE(batch.recentUpdated);
    ASSERT_EQ(batch.jobs.size(), 2u);
    for (const CSendJob& job : batch.jobs) {
        EXPECT_EQ(job.route, modem);
        EXPECT_EQ(job.typedText, "Caf\u00e9 \u263a");
        EXPECT_EQ(job.text, "Caf?");
    }
    const PreparedBatch refused = PrepareSendBatch(s, " , ", "Dana", "Hi", modem, "Hi");
    EXPECT_EQ(refused.problem, "No recipient has been entered.");
    EXPECT_TRUE(refused.jobs.empty());
}

TEST(SendCommand, TheBatchReportNamesContactsAndTheirFailures) {
    auto ok = MakeSendReport({}, kBook);
    EXPECT_EQ(ok.text, "Your message was sent!");
    EXPECT_EQ(ok.icon, MbIcon::Information);
    EXPECT_TRUE(ok.allSent);

    auto one = MakeSendReport(
        {{3, "The carrier selected for this number is incorrect", "5550000002"}}, kBook);
    EXPECT_EQ(one.text,
              "An error occurred while sending your message to Bob\n"
              "The carrier selected for this number is incorrect");
    EXPECT_FALSE(one.allSent);

    auto two = MakeSendReport({{4, "T4", "5550000001"}, {7, "T7", "5551112222"}}, kBook);
    EXPECT_EQ(two.text,
              "Errors occurred while sending your message to the following recipients:\n"
              "  -Ann Lee: T4\n"
              "  -5551112222: T7\n");
    EXPECT_EQ(two.icon, MbIcon::None);
}
