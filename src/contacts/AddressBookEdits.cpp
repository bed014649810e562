#include "contacts/AddressBookEdits.h"

#include <algorithm>
#include <cstdint>

#include "base/Text.h"

namespace {

constexpr std::size_t kAppendLimit = 499;
constexpr std::size_t kRowsWithoutScrollBar = 17;

bool ValidRow(const AddressBook& book, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < book.size();
}

}  // namespace

void SortAddressBook(AddressBook& book) {
    // Sorting keys with indices and moving each contact once keeps the cost near a plain sort
    // of the keys, even for a book of a hundred thousand entries.
    std::vector<std::pair<std::string, std::uint32_t>> keyed;
    keyed.reserve(book.size());
    for (std::size_t i = 0; i < book.size(); ++i)
        keyed.emplace_back(UpperCase(book[i].Name), static_cast<std::uint32_t>(i));
    // std::string compares its bytes as unsigned char; the index breaks ties in stored order.
    std::sort(keyed.begin(), keyed.end());
    if (std::is_sorted(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; }))
        return;
    AddressBook sorted;
    sorted.reserve(book.size());
    for (const auto& k : keyed) sorted.push_back(std::move(book[k.second]));
    book = std::move(sorted);
}

void DeleteEntries(AddressBook& book, const std::vector<int>& rows) {
    // Removing row r at r minus the rows already removed is removing exactly these rows.
    std::vector<bool> doomed(book.size(), false);
    for (int row : rows) {
        if (ValidRow(book, row))
            doomed[static_cast<std::size_t>(row)] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < book.size(); ++i) {
        if (!doomed[i] && kept != i)
            book[kept] = std::move(book[i]);
        kept += doomed[i] ? 0 : 1;
    }
    book.resize(kept);
}

std::string JoinNames(const AddressBook& book, const std::vector<int>& rows) {
    std::string to;
    bool first = true;
    for (int row : rows) {
        if (!ValidRow(book, row))
            continue;
        if (!first)
            to += ", ";
        to += book[static_cast<std::size_t>(row)].Name;
        first = false;
    }
    return to;
}

std::string AppendNames(std::string to, const AddressBook& book, const std::vector<int>& rows) {
    for (int row : rows) {
        if (to.size() > kAppendLimit)
            break;
        if (!ValidRow(book, row))
            continue;
        if (!to.empty())
            to += ", ";
        to += book[static_cast<std::size_t>(row)].Name;
    }
    return to;
}

int NameColumnWidth(std::size_t entries) {
    return entries > kRowsWithoutScrollBar ? 95 : 110;
}
