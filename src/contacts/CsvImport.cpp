#include "contacts/CsvImport.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "contacts/PhoneNumbers.h"
#include "contacts/TextLineReader.h"

namespace {

bool IsTrimmed(char c) {
    return c == '"' || c == ' ';
}

std::string_view Trimmed(std::string_view piece) {
    while (!piece.empty() && IsTrimmed(piece.back())) piece.remove_suffix(1);
    while (!piece.empty() && IsTrimmed(piece.front())) piece.remove_prefix(1);
    return piece;
}

// The fields as views into `line`: the import loop copies only the two it keeps, and needs
// none past the first `wanted`.
void SplitInPlace(std::string_view line, char separator, std::vector<std::string_view>& fields,
                  std::size_t wanted = std::string_view::npos) {
    fields.clear();
    while (!line.empty() && line.back() == separator) line.remove_suffix(1);
    for (std::size_t start = 0; fields.size() < wanted;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(Trimmed(line.substr(start, end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
}

// The digits of a number field when there are exactly ten, in one pass and without a
// temporary text; false otherwise.
bool TenDigits(std::string_view text, char (&digits)[10]) {
    std::size_t count = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        if (count == 10)
            return false;
        digits[count++] = c;
    }
    return count == 10;
}

std::string_view FieldAt(const std::vector<std::string_view>& fields, std::size_t index) {
    return index < fields.size() ? fields[index] : std::string_view();
}

// Room for the lines the file seems to hold, made once: growing a book of a million entries
// step by step copies it over and over. Capped, and only a hint: without the room the import
// goes on all the same.
void ReserveForLines(AddressBook& book, std::size_t lines) {
    constexpr std::size_t kMostReserved = std::size_t{1} << 21;
    try {
        book.reserve(book.size() + std::min(lines + 1, kMostReserved));
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

std::vector<std::string> SplitCsvLine(std::string_view line, char separator) {
    std::vector<std::string_view> views;
    SplitInPlace(line, separator, views);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string> ReadCsvHeadings(const std::filesystem::path& file) {
    CTextLineReader reader(file);
    std::string line;
    if (!reader.ReadLine(line))
        return {};
    return SplitCsvLine(line, ',');
}

ImportFields CsvImportFields(const std::filesystem::path& file) {
    ImportFields fields{ReadCsvHeadings(file)};
    const auto count = fields.names.size();
    fields.name = count > 0 ? 0 : -1;
    fields.number = count > 1 ? 1 : -1;
    return fields;
}

CsvImportCounts ImportCsvFile(const std::filesystem::path& file, std::size_t nameField,
                              std::size_t numberField, AddressBook& book) {
    CsvImportCounts counts;
    CTextLineReader reader(file);
    ReserveForLines(book, reader.ExpectedLines());
    std::string line;
    std::vector<std::string_view> fields;
    bool first = true;
    while (reader.ReadLine(line)) {
        // Of an overlong line only its start was kept: it is not taken.
        if (reader.Truncated()) {
            fields.clear();
        } else {
            SplitInPlace(line, ',', fields, std::max(nameField, numberField) + 1);
        }
        const std::string_view name = FieldAt(fields, nameField);
        // Without a name the number does not matter.
        char digits[10];
        if (!name.empty() && TenDigits(FieldAt(fields, numberField), digits)) {
            // Built where it stays: no temporary contact, no text made only to be moved.
            CContact& contact = book.emplace_back();
            contact.Name.assign(name);
            contact.Number.assign(digits, sizeof digits);
            ++counts.imported;
        } else if (!first) {
            ++counts.rejected;
        }
        first = false;
    }
    // Most lines were rejected: give back what was reserved for them.
    if (book.capacity() > 2 * book.size())
        book.shrink_to_fit();
    return counts;
}

std::string CsvImportResultText(const CsvImportCounts& counts) {
    char text[160];
    std::snprintf(text, sizeof text, "%d records were imported successfully into the address book",
                  counts.imported);
    if (counts.rejected <= 0)
        return text;
    char both[320];
    std::snprintf(both, sizeof both,
                  "%s\n%d records were not imported due to missing or invalid data", text,
                  counts.rejected);
    return both;
}
