#pragma once
// The address-book panel's list operations, apart from any widget: the order by name, deleting
// selected rows, and the To texts made from selected names. Rows are address-book indices.

#include <cstddef>
#include <string>
#include <vector>

#include "contacts/Contact.h"

// Sorts by upper-cased name compared byte by byte as unsigned values; equal names keep their
// order. The stored book itself is reordered.
void SortAddressBook(AddressBook& book);

// Removes the entries at `rows` (increasing, each at most once; others are ignored).
void DeleteEntries(AddressBook& book, const std::vector<int>& rows);

// The names of `rows` joined by ", ": what "Send To" puts into the To field.
std::string JoinNames(const AddressBook& book, const std::vector<int>& rows);

// `to` with the names of `rows` appended, each after ", " unless the text is empty; appending
// stops once the text is longer than 499 characters.
std::string AppendNames(std::string to, const AddressBook& book, const std::vector<int>& rows);

// The name column's width in pixels: narrower once the rows need a vertical scroll bar.
int NameColumnWidth(std::size_t entries);
