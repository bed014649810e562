// Contacts from comma-separated files: splitting, the import loop's counts, encodings, and
// input that is not what a contacts file should be.

#include <gtest/gtest.h>

#include <filesystem>

#include "contacts/ContactFileTest.h"
#include "contacts/CsvImport.h"
#include "contacts/TextLineReader.h"

namespace {

using Fields = std::vector<std::string>;

class CsvImport : public ContactFileTest {
protected:
    CsvImportCounts Import(const std::filesystem::path& file, std::size_t name = 0,
                           std::size_t number = 1) {
        return ImportCsvFile(file, name, number, book);
    }
    Fields Names() const {
        Fields names;
        for (const CContact& c : book) names.push_back(c.Name);
        return names;
    }
};

// The units of `text` after a byte-order mark, in the order asked for.
std::string Utf16(std::u16string_view text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

}  // namespace

TEST(SplitCsvLine, SplitsAtEverySeparatorAndTrimsQuotesAndSpacesAtTheEnds) {
    const std::pair<std::string, Fields> table[] = {
        {"a,b,,", {"a", "b"}},
        {"", {""}},
        {",,,", {""}},
        {"one field", {"one field"}},
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {"\"Smith, John\",5551234567", {"Smith", "John", "5551234567"}},
        {" \"Ann\" , \"5551234567\" ,,", {"Ann", "5551234567"}},
        {"\" \"x y\" \",'q'", {"x y", "'q'"}},
        {std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}},
    };
    for (const auto& [line, fields] : table) EXPECT_EQ(SplitCsvLine(line, ','), fields) << line;
    EXPECT_EQ(SplitCsvLine("a;b;", ';'), (Fields{"a", "b"}));
}

TEST_F(CsvImport, HeadingsAreSkippedUncountedAndEveryOtherFailingLineIsRejected) {
    book.push_back({"Kept", "", "5550000000", 3});
    const auto file = Write(
        "Name,Phone\nAnn,555-123-4567\nBob,12345\n\n\"Smith, John\",5551234567\n"
        "Cy,1 (555) 123-4567\nDee\n,5551234567\n");
    EXPECT_EQ(ReadCsvHeadings(file), (Fields{"Name", "Phone"}));
    const CsvImportCounts counts = Import(file);
    EXPECT_EQ(counts.imported, 1);
    EXPECT_EQ(counts.rejected, 6);
    EXPECT_EQ(CsvImportResultText(counts),
              "1 records were imported successfully into the address book\n"
              "6 records were not imported due to missing or invalid data");
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0], (CContact{"Kept", "", "5550000000", 3}));
    EXPECT_EQ(book[1], (CContact{"Ann", "", "5551234567", CarrierAutoDetect}));

    // Without headings the first line counts like any other; a second import doubles up.
    const auto plain = Write("Ann,5551234567\r\nBob,(555) 987-6543");
    EXPECT_EQ(Import(plain).imported, 2);
    EXPECT_EQ(Import(plain).imported, 2);
    EXPECT_EQ(Names(), (Fields{"Kept", "Ann", "Ann", "Bob", "Ann", "Bob"}));
    EXPECT_EQ(CsvImportResultText({2, 0}),
              "2 records were imported successfully into the address book");

    // Fields chosen by index; the number may come first.
    const auto swapped = Write("x,5551112222,Zed\n");
    EXPECT_EQ(Import(swapped, 2, 1).imported, 1);
    EXPECT_EQ(book.back().Name, "Zed");
}

TEST_F(CsvImport, EncodingsAreReadIntoTheCodePage) {
    const std::string eUtf8 = "\xC3\xAB";  // e diaeresis
    const std::string ohm = "\xCE\xA9";    // not in the code page
    struct Case {
        const char* what;
        std::string bytes;
        TextEncoding encoding;
        std::string name;
    } cases[] = {
        {"UTF-8 with a mark", "\xEF\xBB\xBFZo" + eUtf8 + ",5551234567\n", TextEncoding::Utf8,
         "Zo\xEB"},
        {"UTF-8 without one", "Zo" + eUtf8 + ohm + ",5551234567\n", TextEncoding::Utf8, "Zo\xEB?"},
        {"code page bytes", "Zo\xEB,5551234567\n", TextEncoding::Cp1252, "Zo\xEB"},
        // Decided at the first byte above 0x7F, by the whole rest of the file.
        {"UTF-8 after headings", "Name,Phone\nZo" + eUtf8 + ",5551234567\n", TextEncoding::Utf8,
         "Zo\xEB"},
        {"a late byte that is no UTF-8", "Name,Phone\nZo" + eUtf8 + ",5551234567\nx\xFF\n",
         TextEncoding::Cp1252, "Zo\xC3\xAB"},
        {"plain ASCII", "Zoe,5551234567\n", TextEncoding::Cp1252, "Zoe"},
        {"overlong UTF-8 is no UTF-8", "Z\xC0\xAF,5551234567\n", TextEncoding::Cp1252, "Z\xC0\xAF"},
        {"UTF-16 little-endian", Utf16(u"Zo\u00EB\U0001F600,5551234567\r\n", true),
         TextEncoding::Utf16Le, "Zo\xEB?"},
        // An unpaired surrogate and a last odd byte are no characters.
        {"UTF-16 big-endian", Utf16(u"Zo\u00EB\xD83D,5551234567", false) + "\x01",
         TextEncoding::Utf16Be, "Zo\xEB?"},
    };
    for (const Case& c : cases) {
        book.clear();
        const auto file = Write(c.bytes);
        EXPECT_EQ(CTextLineReader(file).Encoding(), c.encoding) << c.what;
        EXPECT_EQ(Import(file).imported, 1) << c.what;
        EXPECT_EQ(Names(), Fields{c.name}) << c.what;
    }
}

TEST_F(CsvImport, BadInputEndsWithTruthfulCountsAndLeavesTheBookAlone) {
    book.push_back({"Kept", "", "5550000000", 0});
    const std::string wide = [] {
        std::string line = "Wide";
        for (int i = 1; i < 10000; ++i) line += "," + std::to_string(5550000000LL + i);
        return line;
    }();
    const std::string huge(3 * CTextLineReader::kMaxLine, 'x');
    struct Case {
        const char* what;
        std::filesystem::path file;
        std::size_t headings;
        int imported, rejected;
    } cases[] = {
        {"missing", dir / "none.csv", 0, 0, 0},
        {"a folder", dir.path(), 0, 0, 0},
        {"empty", Write(""), 0, 0, 0},
        {"binary", Write(std::string("\0\x01\xFF\xFE\0\n\x80\0,\n", 10)), 1, 0, 1},
        {"NUL in a name", Write(std::string("A\0B,5551234567\n", 15)), 2, 1, 0},
        {"one overlong line", Write("Ann,5551234567\n" + huge + ",5551234567\nBob,5551234568\n"), 2,
         2, 1},
        {"overlong headings", Write(huge + "\nAnn,5551234567\n"), 1, 1, 0},
        {"10,000 fields", Write(wide + "\n" + wide), 10000, 2, 0},
    };
    for (const Case& c : cases) {
        book.resize(1);
        EXPECT_EQ(ReadCsvHeadings(c.file).size(), c.headings) << c.what;
        const CsvImportCounts counts = Import(c.file, 0, c.headings == 10000 ? 9999 : 1);
        EXPECT_EQ(counts.imported, c.imported) << c.what;
        EXPECT_EQ(counts.rejected, c.rejected) << c.what;
        EXPECT_EQ(book.size(), 1u + static_cast<std::size_t>(c.imported)) << c.what;
        EXPECT_EQ(book.front().Name, "Kept") << c.what;
    }
    EXPECT_EQ(book.back().Number, "5550009999");
    EXPECT_EQ(ReadCsvHeadings(cases[6].file).front().size(), CTextLineReader::kMaxLine);
}
