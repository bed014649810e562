// Contacts from vCard files: the three versions and their ways of writing a value, the fields the
// import dialog offers, and the import's counts.

#include <gtest/gtest.h>

#include <filesystem>

#include "contacts/ContactFileTest.h"
#include "contacts/VCardImport.h"

namespace {

using namespace std::string_literals;
using Fields = std::vector<std::string>;

std::string Card(const std::string& lines) {
    return "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n";
}

// A card in one line of text: "FN=...; N=...; type=number...", "-" for a missing name.
std::string Describe(const VCard& card) {
    std::string text = "FN=" + card.formattedName.value_or("-") + "; N=" + card.name.value_or("-");
    for (const VCardPhone& phone : card.phones) text += "; " + phone.type + "=" + phone.number;
    return card.damaged ? text + "; damaged" : text;
}

class VCardImport : public ContactFileTest {
protected:
    std::vector<std::string> Cards(const std::filesystem::path& file) {
        std::vector<std::string> cards;
        CVCardReader reader(file);
        for (VCard card; reader.ReadCard(card);) cards.push_back(Describe(card));
        return cards;
    }
};

}  // namespace

TEST_F(VCardImport, EveryVersionsWayOfWritingAValueIsRead) {
    const std::pair<std::string, std::string> table[] = {
        {"VERSION:2.1\r\nN:Doe;John;Q;Dr.;Jr.\r\nFN:John Doe\r\nTEL;CELL;VOICE:+1 555 123 4567\r\n"
         "TEL;HOME:555-222-3333\r\n",
         "FN=John Doe; N=John Q Doe; cell=+1 555 123 4567; home=555-222-3333"},
        // Quoted-printable with soft line breaks, UTF-8 and Latin bytes, in the code page.
        {"VERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;Zo=\r\n=C3=AB;;;\r\n"
         "FN;CHARSET=ISO-8859-15;QUOTED-PRINTABLE:=A4 =\r\n=3D=Zz=E9\r\n"
         "TEL;X-Odd;QUOTED-PRINTABLE:=35=\r\n55\r\n",
         "FN=\x80 ==Zz\xE9; N=Zo\xEB M\xFCller; x-odd=555"},
        {"VERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:=C3=AB=CE=A9\r\nN:C:\\new;\\;x\r\n",
         "FN=\xEB?; N=;x C:\\new"},
        // 3.0: folding drops one white-space character; escapes; lists of values; groups.
        {"version:3.0\r\nfn:Jo\r\n\thn\\, \\\\Doe\\n Jr.\r\nN:Doe;John,Paul\\;;;;\r\n"
         "item1.TEL;type=CELL;type=VOICE;type=pref:555 1\r\n  234\r\nTEL;TYPE=pref:5\r\n"
         "TEL;TYPE=Voice,PREF:6\r\n",
         "FN=John, \\Doe Jr.; N=John Paul; Doe; cell=555 1 234; =5; voice=6"},
        {"VERSION:4.0\r\nFN;LANGUAGE=\"x:y\":Ann\r\nTEL;VALUE=uri;TYPE=\"voice,cell\":"
         "tel:+1-555-123-4567;ext=89\r\nTEL;TYPE=work;PREF=1:TEL:5550001111\r\n",
         "FN=Ann; N=-; cell=+1-555-123-4567; work=5550001111"},
        // A card inside a card (2.1's AGENT) is passed over.
        {"FN:Outer\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Inner\r\nTEL:1\r\nEND:VCARD\r\nTEL:2\r\n",
         "FN=Outer; N=-; =2"},
    };
    for (const auto& [lines, expected] : table) {
        EXPECT_EQ(Cards(Write(Card(lines))), Fields{expected}) << lines;
    }
    // Raw bytes without a CHARSET: valid UTF-8 is UTF-8, anything else the code page.
    EXPECT_EQ(Cards(Write(Card("FN:Zo\xC3\xAB\r\n") + Card("FN:Zo\xEB\r\n"))),
              (Fields{"FN=Zo\xEB; N=-", "FN=Zo\xEB; N=-"}));
    // A soft line break before the card's end ends the value there.
    EXPECT_EQ(Cards(Write(Card("FN;QUOTED-PRINTABLE:A=\r\n") + Card("FN:B\r\n"))),
              (Fields{"FN=A=; N=-", "FN=B; N=-"}));
}

TEST_F(VCardImport, OnlyAFileThatBeginsWithACardIsAVCardFile) {
    const std::pair<std::string, bool> table[] = {
        {"BEGIN:VCARD\nEND:VCARD\n", true},
        {"\xEF\xBB\xBF\r\n \t\nbegin:vcard  \r\n", true},
        {"\xFF\xFE"
         "B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D\0"s,
         true},
        {"Name,Phone\nBEGIN:VCARD\n", false},
        {"BEGIN:VCALENDAR\n", false},
        {"", false},
    };
    for (const auto& [bytes, vcard] : table) EXPECT_EQ(IsVCardFile(Write(bytes)), vcard) << bytes;
    EXPECT_FALSE(IsVCardFile(dir / "none.vcf"));
}

TEST_F(VCardImport, FieldsAreTheUnionOverTheFileWithTheNameAndAMobileChosen) {
    struct Case {
        std::string bytes;
        Fields names;
        int name, number;
    } cases[] = {
        {Card("N:Doe;Ann\r\nTEL;HOME:1\r\nTEL;WORK:2\r\n") +
             Card("FN:Bo\r\nTEL;CELL:3\r\nTEL:4\r\nTEL;HOME:5\r\n"),
         {"FN", "N", "TEL (home)", "TEL (work)", "TEL (cell)", "TEL"},
         0,
         4},
        {Card("N:Doe\r\nTEL;TYPE=WORK:1\r\nTEL;TYPE=IPHONE,CELL:2\r\nTEL;TYPE=mobile:3\r\n"),
         {"N", "TEL (work)", "TEL (iphone)", "TEL (mobile)"},
         0,
         2},
        {Card("TEL;TYPE=home:1\r\n"), {"TEL (home)"}, -1, 0},
        {Card("FN:Ann\r\n"), {"FN"}, 0, -1},
        {"BEGIN:VCARD\r\n", {}, -1, -1},
        // A card with an overlong line offers nothing.
        {Card("FN:" + std::string(CTextLineReader::kMaxLine, 'x') + "\r\nTEL;CELL:1\r\n"),
         {},
         -1,
         -1},
    };
    for (const Case& c : cases) {
        const ImportFields fields = ReadVCardFields(Write(c.bytes));
        EXPECT_EQ(fields.names, c.names) << c.bytes.substr(0, 80);
        EXPECT_EQ(fields.name, c.name) << c.bytes.substr(0, 80);
        EXPECT_EQ(fields.number, c.number) << c.bytes.substr(0, 80);
    }
}

TEST_F(VCardImport, EveryCardIsARecordAndThoseWithoutANameOrNumberAreCounted) {
    book.push_back({"Kept", "", "5550000000", 3});
    const std::string overlong(CTextLineReader::kMaxLine + 1, 'x');
    const auto file = Write(
        Card("FN:Ann\r\nTEL;CELL:+1 (555) 123-4567\r\n") + Card("FN: \r\nTEL;CELL:5551234567\r\n") +
        Card("FN:Cy\r\nTEL;HOME:5551234567\r\n") + Card("FN:Di\r\nTEL;CELL:2 555 123 4567\r\n") +
        Card("FN:Ed\r\nTEL;CELL:555123456\r\n") +
        Card("FN:Fay\r\nNOTE:" + overlong + "\r\n" + "TEL;CELL:5551234567\r\n") +
        "BEGIN:VCARD\r\nFN:  Gil  \r\nTEL;CELL:1-555-987-6543\r\n");
    const CsvImportCounts counts = ImportVCardFile(file, "FN", "TEL (cell)", book);
    EXPECT_EQ(counts.imported, 2);
    EXPECT_EQ(counts.rejected, 5);
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[1], (CContact{"Ann", "", "5551234567", CarrierAutoDetect}));
    EXPECT_EQ(book[2], (CContact{"Gil", "", "5559876543", CarrierAutoDetect}));

    // No heading exception, and nothing to count in a file without cards or without a file.
    const struct {
        std::filesystem::path file;
        int imported, rejected;
    } cases[] = {
        {Write(Card("FN:X\r\n") + Card("FN:Y\r\nTEL;CELL:5551234567\r\n")), 1, 1},
        {Write("BEGIN:VCARD-ish\r\n"), 0, 0},
        {dir / "none.vcf", 0, 0},
        {dir.path(), 0, 0},
    };
    for (const auto& c : cases) {
        const CsvImportCounts got = ImportVCardFile(c.file, "FN", "TEL (cell)", book);
        EXPECT_EQ(got.imported, c.imported) << c.file;
        EXPECT_EQ(got.rejected, c.rejected) << c.file;
    }
}

TEST_F(VCardImport, APhoneExportOfAThousandCardsIsImportedWhole) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        const std::string n = std::to_string(1000 + i);
        bytes += Card("VERSION:3.0\r\nPRODID:-//Phone//EN\r\nN:Family" + n +
                      ";Given;;;\r\nFN:Given Family" + n +
                      "\r\nitem1.TEL;type=CELL;type=VOICE;type=pref:+1 (555) 555-" + n +
                      "\r\nTEL;type=HOME;type=VOICE:(555) 444-" + n +
                      "\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/\r\n "
                      "2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw==\r\n");
    }
    const auto file = Write(bytes);
    const ImportFields fields = ReadVCardFields(file);
    EXPECT_EQ(fields.names, (Fields{"FN", "N", "TEL (cell)", "TEL (home)"}));
    const CsvImportCounts counts = ImportVCardFile(file, "N", "TEL (cell)", book);
    EXPECT_EQ(counts.imported, 1000);
    EXPECT_EQ(counts.rejected, 0);
    ASSERT_EQ(book.size(), 1000u);
    EXPECT_EQ(book.back(), (CContact{"Given Family1999", "", "5555551999", CarrierAutoDetect}));
}
