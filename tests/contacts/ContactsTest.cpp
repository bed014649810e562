#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "base/Text.h"
#include "contacts/AddressBookEdits.h"
#include "contacts/AddressBookLookup.h"
#include "contacts/Contact.h"
#include "contacts/PhoneNumbers.h"
#include "storage/AppSettings.h"

TEST(PhoneNumbers, DisplayFormIsBuiltFromTheFirstTenDigits) {
    const std::pair<const char*, const char*> table[] = {
        {"", ""},
        {"5", "(5"},
        {"555", "(555"},
        {"5551", "(555) 1"},
        {"555123", "(555) 123"},
        {"5551234", "(555) 123-4"},
        {"5551234567", "(555) 123-4567"},
        {"15551234567", "(155) 512-3456"},
    };
    for (const auto& [digits, shown] : table) {
        EXPECT_EQ(FormatPhoneNumber(digits), shown) << digits;
    }
}

TEST(PhoneNumbers, DigitsOnlyAndTheTenDigitRule) {
    EXPECT_EQ(NormalizeDigits("(555) 123-4567"), "5551234567");
    EXPECT_EQ(NormalizeDigits("no digits"), "");
    // Bytes of the upper half (superscript digits among them) are not digits.
    EXPECT_EQ(NormalizeDigits("1\xB2\xB3"
                              "2"),
              "12");

    EXPECT_TRUE(IsValidNumber("555.123.4567"));
    EXPECT_TRUE(IsValidNumber("(555)1234567x"));
    EXPECT_FALSE(IsValidNumber("555-1234"));
    EXPECT_FALSE(IsValidNumber("1-555-123-4567"));  // a leading 1 makes eleven digits
    EXPECT_FALSE(IsValidNumber(""));
}

TEST(Carriers, NamesByCodeAndNothingOutsideTheRange) {
    ASSERT_EQ(CarrierNames().size(), 10u);
    EXPECT_EQ(CarrierNames().front(), "Auto-Detect");
    EXPECT_EQ(CarrierName(CarrierATTWireless), "AT&T Wireless");
    EXPECT_EQ(CarrierName(CarrierVerizon), "Verizon");
    for (int code : {-1, 10, 99, INT_MIN, INT_MAX}) {
        EXPECT_EQ(CarrierName(code), "") << code;
    }
}

class AddressBookLookups : public ::testing::Test {
protected:
    AddressBook book = {
        {"Bob", "", "5551110001", CarrierVerizon},
        {"Trailing ", "", "5551110002", CarrierNextel},
        {"Old Entry", "Nick", "555-111-0003", CarrierAllTel},
        {"\xC9lise", "", "5551110004", CarrierSprint},  // É
        {"Twin One", "", "5551110005", CarrierBoost},
        {"Twin Two", "", "5551110005", CarrierCingular},
    };
};

TEST_F(AddressBookLookups, NamesMatchTrimmedAndInAnyCase) {
    EXPECT_EQ(LookupNumberByName(book, " bob "), "5551110001");
    EXPECT_EQ(LookupNumberByName(book, "BOB"), "5551110001");
    EXPECT_EQ(LookupNumberByName(book, "\t\xE9LISE\r\n"), "5551110004");  // é finds É
    // A stored name that ends in a blank is not found without the blank.
    EXPECT_EQ(LookupNumberByName(book, "Trailing"), "");
    EXPECT_EQ(LookupNumberByName(book, "Nobody"), "");
}

TEST_F(AddressBookLookups, SecondNamesAreTriedOnlyWhenNoNameMatches) {
    EXPECT_EQ(LookupNumberByName(book, "nick"), "555-111-0003");
    book.push_back({"Nick", "", "5559990000", CarrierAllTel});
    EXPECT_EQ(LookupNumberByName(book, "nick"), "5559990000");
}

TEST_F(AddressBookLookups, NumbersAnswerForTheFirstEntryAndKeepWhatWasPassed) {
    EXPECT_EQ(DisplayNameForNumber(book, "(555) 111-0001"), "Bob");
    EXPECT_EQ(DisplayNameForNumber(book, "5551110005"), "Twin One");
    EXPECT_EQ(DisplayNameForNumber(book, "(555) 000-0000"), "(555) 000-0000");

    EXPECT_EQ(CarrierForNumber(book, "5551110005"), CarrierBoost);
    EXPECT_EQ(CarrierForNumber(book, "(555) 111-0001"), CarrierAutoDetect);  // not normalised
    EXPECT_EQ(CarrierForNumber(book, "5550000000"), CarrierAutoDetect);

    SetCarrierForNumber(book, "5551110005", CarrierTMobile);
    EXPECT_EQ(book[4].Carrier, CarrierTMobile);
    EXPECT_EQ(book[5].Carrier, CarrierTMobile);
    EXPECT_EQ(book[0].Carrier, CarrierVerizon);
}

TEST(RecentLists, FindAndPushKeepTheMostRecentFirstWithinTheLimit) {
    std::vector<std::string> list = {"a", "B", "c"};
    EXPECT_EQ(FindStringIndex(list, "c"), 2);
    EXPECT_EQ(FindStringIndex(list, "b"), -1);  // case-sensitive

    PushRecent(list, "c", 3);
    EXPECT_EQ(list, (std::vector<std::string>{"c", "a", "B"}));
    PushRecent(list, "d", 3);
    EXPECT_EQ(list, (std::vector<std::string>{"d", "c", "a"}));
    PushRecent(list, "b", 5);
    EXPECT_EQ(list, (std::vector<std::string>{"b", "d", "c", "a"}));
}

TEST(AddressBookEdits, NamesGoIntoTheToTextUntilItPassesFiveHundredCharacters) {
    const AddressBook book = {
        {"Ann", "", "5550000001", 0}, {"Bob", "", "5550000002", 0}, {"Cy", "", "5550000003", 0}};
    EXPECT_EQ(JoinNames(book, {0, 2}), "Ann, Cy");
    EXPECT_EQ(JoinNames(book, {}), "");
    EXPECT_EQ(AppendNames("", book, {1, 2}), "Bob, Cy");
    const std::string long499(499, 'x');
    EXPECT_EQ(AppendNames(long499, book, {0, 1}), long499 + ", Ann");
    EXPECT_EQ(AppendNames(long499 + "x", book, {0}), long499 + "x");

    AddressBook five = {
        {"a", "", "", 0}, {"b", "", "", 0}, {"c", "", "", 0}, {"d", "", "", 0}, {"e", "", "", 0}};
    DeleteEntries(five, {1, 3, 4});
    EXPECT_EQ(five, (AddressBook{{"a", "", "", 0}, {"c", "", "", 0}}));
}

TEST(AddressBookEdits, SortingOrdersByUpperCasedNameAndKeepsEqualNamesInTheirOrder) {
    AddressBook book;
    for (int i = 0; i < 300; ++i) {
        // Names repeat in both cases; the number tells the entries apart.
        const std::string name =
            std::string(1, "bBaAc\xE9\xC9"[(i * 5) % 7]) + "x" + std::to_string((i * 37) % 11);
        book.push_back({name, "", std::to_string(i), 0});
    }
    AddressBook expected = book;
    std::stable_sort(expected.begin(), expected.end(), [](const CContact& a, const CContact& b) {
        return UpperCase(a.Name) < UpperCase(b.Name);
    });
    SortAddressBook(book);
    EXPECT_EQ(book, expected);
    SortAddressBook(book);  // already in order: nothing moves
    EXPECT_EQ(book, expected);
}
