#include "contacts/CsvImport.h"

#include <cstdio>

#include "contacts/CsvLineReader.h"
#include "contacts/PhoneNumbers.h"

namespace {

bool IsTrimmed(char c) {
    return c == '"' || c == ' ';
}

void AssignTrimmed(std::string& field, std::string_view piece) {
    while (!piece.empty() && IsTrimmed(piece.back())) piece.remove_suffix(1);
    while (!piece.empty() && IsTrimmed(piece.front())) piece.remove_prefix(1);
    field.assign(piece);
}

std::string_view FieldAt(const std::vector<std::string>& fields, std::size_t count,
                         std::size_t index) {
    return index < count ? std::string_view(fields[index]) : std::string_view();
}

}  // namespace

void SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& fields) {
    while (!line.empty() && line.back() == separator) line.remove_suffix(1);
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(separator, start);
        if (count == fields.size())
            fields.emplace_back();
        AssignTrimmed(fields[count++], line.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    fields.resize(count);
}

std::vector<std::string> SplitCsvLine(std::string_view line, char separator) {
    std::vector<std::string> fields;
    SplitCsvLine(line, separator, fields);
    return fields;
}

std::vector<std::string> ReadCsvHeadings(const std::filesystem::path& file) {
    CCsvLineReader reader(file);
    std::string line;
    if (!reader.ReadLine(line))
        return {};
    return SplitCsvLine(line, ',');
}

CsvImportCounts ImportCsvFile(const std::filesystem::path& file, std::size_t nameField,
                              std::size_t numberField, AddressBook& book) {
    CsvImportCounts counts;
    CCsvLineReader reader(file);
    std::string line;
    std::vector<std::string> fields;
    bool first = true;
    while (reader.ReadLine(line)) {
        // Of an overlong line only its start was kept: it is not taken.
        if (!reader.Truncated())
            SplitCsvLine(line, ',', fields);
        const std::size_t count = reader.Truncated() ? 0 : fields.size();
        const std::string_view name = FieldAt(fields, count, nameField);
        std::string number = NormalizeDigits(FieldAt(fields, count, numberField));
        if (!name.empty() && number.size() == 10) {
            book.push_back(CContact{std::string(name), {}, std::move(number), CarrierAutoDetect});
            ++counts.imported;
        } else if (!first) {
            ++counts.rejected;
        }
        first = false;
    }
    return counts;
}

std::string CsvImportResultText(const CsvImportCounts& counts) {
    char text[160];
    std::snprintf(text, sizeof text, "%d records were imported successfully into the address book",
                  counts.imported);
    if (counts.rejected <= 0)
        return text;
    char both[320];
    std::snprintf(both, sizeof both, "%s\n%d records were not imported due to missing or invalid data",
                  text, counts.rejected);
    return both;
}
