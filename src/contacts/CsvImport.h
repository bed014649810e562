#pragma once
// Importing contacts from a comma-separated file: splitting a line into fields, the headings
// the import dialog offers, and the import loop with its counts.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

// The fields of one line. Separators at the end of the line are dropped, every other one
// splits (there is no quoting), and each field loses the double quotes and spaces at its ends.
std::vector<std::string> SplitCsvLine(std::string_view line, char separator);

// The fields of the file's first line; none when the file cannot be read.
std::vector<std::string> ReadCsvHeadings(const std::filesystem::path& file);

// What the import dialog offers for a file: its fields and the two chosen at first (-1: none).
struct ImportFields {
    std::vector<std::string> names;
    int name = -1;
    int number = -1;
};

// The headings, with the first for the names and the second for the numbers.
ImportFields CsvImportFields(const std::filesystem::path& file);

struct CsvImportCounts {
    int imported = 0;
    int rejected = 0;  // lines after the first without a name or a ten-digit number
};

// Appends a contact (Auto-Detect) for every line with a name at `nameField` and ten digits at
// `numberField`. A failing first line is taken for headings and not counted. Reading stops at
// a read error; what was imported until then stays.
CsvImportCounts ImportCsvFile(const std::filesystem::path& file, std::size_t nameField,
                              std::size_t numberField, AddressBook& book);

// The message that reports the counts: one line, or two when lines were rejected.
std::string CsvImportResultText(const CsvImportCounts& counts);
