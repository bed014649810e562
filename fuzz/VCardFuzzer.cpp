// Feeds arbitrary bytes as a file to the vCard reader, the fields the import dialog would offer
// and the import. Beyond crashes and sanitizer reports, a finding is a broken rule: a choice
// outside the fields or a field offered twice, counts that differ from the cards read or from
// what was appended, an entry already in the book changed, or an imported entry without a
// trimmed name (one line when it is FN or N) or ten digits.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzFile.h"
#include "base/Text.h"
#include "contacts/VCardImport.h"

namespace {

// The offered choice, or another field a byte of the input picks, as a user could.
std::string Field(const ImportFields& fields, int chosen, std::uint8_t pick) {
    if (fields.names.empty())
        return "FN";
    if (chosen < 0 || pick % 2 == 1)
        return fields.names[pick / 2 % fields.names.size()];
    return fields.names[static_cast<std::size_t>(chosen)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& file =
        WriteFuzzFile(std::string_view(reinterpret_cast<const char*>(data), size));
    IsVCardFile(file);

    int cards = 0;
    CVCardReader reader(file);
    for (VCard card; reader.ReadCard(card);) ++cards;
    FUZZ_CHECK(!reader.Failed());

    const ImportFields fields = ReadVCardFields(file);
    const auto count = static_cast<int>(fields.names.size());
    FUZZ_CHECK(fields.name >= -1 && fields.name < count);
    FUZZ_CHECK(fields.number >= -1 && fields.number < count);
    FUZZ_CHECK(std::set<std::string>(fields.names.begin(), fields.names.end()).size() ==
               fields.names.size());

    const CContact before{"Kept", "", "5550000000", CarrierVerizon};
    AddressBook book{before};
    const std::string nameField = Field(fields, fields.name, size > 0 ? data[0] : 0);
    const CsvImportCounts counts = ImportVCardFile(
        file, nameField, Field(fields, fields.number, size > 1 ? data[1] : 0), book);
    // Names from FN and N are one line each.
    const bool oneLine = nameField == "FN" || nameField == "N";
    FUZZ_CHECK(counts.imported >= 0 && counts.rejected >= 0);
    FUZZ_CHECK(counts.imported + counts.rejected == cards);
    FUZZ_CHECK(book.size() == 1 + static_cast<std::size_t>(counts.imported));
    FUZZ_CHECK(book.front() == before);
    for (std::size_t i = 1; i < book.size(); ++i) {
        FUZZ_CHECK(!book[i].Name.empty() && book[i].Name == TrimBlanks(book[i].Name));
        FUZZ_CHECK(!oneLine || book[i].Name.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(book[i].Number.size() == 10);
        FUZZ_CHECK(book[i].Number.find_first_not_of("0123456789") == std::string::npos);
        FUZZ_CHECK(book[i].Carrier == CarrierAutoDetect);
    }
    return 0;
}
