#include "contacts/AddressBookEdits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/Text.h"

namespace {

constexpr std::size_t kAppendLimit = 499;
constexpr std::size_t kRowsWithoutScrollBar = 17;

bool ValidRow(const AddressBook& book, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < book.size();
}

// The code page's upper case of every byte, looked up rather than worked out per byte.
const std::array<unsigned char, 256>& UpperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] =
                static_cast<unsigned char>(UpperCaseChar(static_cast<char>(b)));
        return t;
    }();
    return table;
}

// a < b by upper-cased name, without building the upper-cased copies.
bool UpperLess(const std::string& a, const std::string& b,
               const std::array<unsigned char, 256>& upper) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    // Bytes equal as they stand are equal upper-cased too: skip them a word at a time.
    while (i + 8 <= n && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
    for (; i < n; ++i) {
        const unsigned char x = upper[static_cast<unsigned char>(a[i])];
        const unsigned char y = upper[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

}  // namespace

void SortAddressBook(AddressBook& book) {
    // After the first refresh the book stays in order but for what was just appended or edited:
    // a book already in order costs one pass.
    const auto& upper = UpperTable();
    if (std::is_sorted(book.begin(), book.end(), [&upper](const CContact& a, const CContact& b) {
            return UpperLess(a.Name, b.Name, upper);
        }))
        return;
    // The upper-cased names side by side in one block, sorted as views with their indices:
    // no allocation per name, and the comparisons read memory in order.
    std::size_t total = 0;
    for (const CContact& c : book) total += c.Name.size();
    std::string upperNames;
    upperNames.reserve(total);
    for (const CContact& c : book) {
        for (char ch : c.Name)
            upperNames += static_cast<char>(upper[static_cast<unsigned char>(ch)]);
    }
    std::vector<std::pair<std::string_view, std::uint32_t>> keyed;
    keyed.reserve(book.size());
    std::size_t offset = 0;
    for (std::size_t i = 0; i < book.size(); ++i) {
        keyed.emplace_back(std::string_view(upperNames).substr(offset, book[i].Name.size()),
                           static_cast<std::uint32_t>(i));
        offset += book[i].Name.size();
    }
    // Views compare their bytes as unsigned char; equal names keep their stored order.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Each cycle of the permutation is walked once, in place: no second book is built.
    std::vector<bool> placed(book.size(), false);
    for (std::size_t start = 0; start < book.size(); ++start) {
        if (placed[start])
            continue;
        CContact held = std::move(book[start]);
        std::size_t to = start;
        for (std::size_t from = keyed[to].second; from != start; from = keyed[to].second) {
            book[to] = std::move(book[from]);
            placed[to] = true;
            to = from;
        }
        book[to] = std::move(held);
        placed[to] = true;
    }
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
