// Feeds arbitrary bytes to the CSV import: to SplitCsvLine as one line, and as a whole file to
// the import loop. Beyond crashes and sanitizer reports, a finding is a broken rule: a field
// with a quote or space at its ends, an entry already in the book changed, an imported entry
// without a name or ten digits, or counts that do not match what was appended.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzFile.h"
#include "contacts/CsvImport.h"

namespace {

void Check(bool rule) {
    if (!rule)
        __builtin_trap();
}

bool Trimmed(const std::string& field) {
    auto edge = [](char c) { return c == '"' || c == ' '; };
    return field.empty() || (!edge(field.front()) && !edge(field.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::size_t kept = 0;
    const std::vector<std::string> fields = SplitCsvLine(bytes, ',');
    Check(!fields.empty());
    for (const std::string& field : fields) {
        Check(Trimmed(field));
        kept += field.size();
    }
    Check(kept <= size);

    // The first two bytes choose the fields, as a user would in the dialog.
    const std::size_t nameField = size > 0 ? data[0] % 4 : 0;
    const std::size_t numberField = size > 1 ? data[1] % 4 : 1;
    const std::filesystem::path& file = WriteFuzzFile(bytes);
    const CContact before{"Kept", "", "5550000000", CarrierVerizon};
    AddressBook book{before};
    const CsvImportCounts counts = ImportCsvFile(file, nameField, numberField, book);
    Check(counts.imported >= 0 && counts.rejected >= 0);
    Check(book.size() == 1 + static_cast<std::size_t>(counts.imported));
    Check(book.front() == before);
    for (std::size_t i = 1; i < book.size(); ++i) {
        Check(!book[i].Name.empty());
        Check(book[i].Number.size() == 10);
        Check(book[i].Number.find_first_not_of("0123456789") == std::string::npos);
        Check(book[i].Carrier == CarrierAutoDetect);
    }
    return 0;
}
