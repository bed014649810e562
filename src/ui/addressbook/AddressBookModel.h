#pragma once
// CAddressBookModel: the address book as a two-column table (name, number in display form).
// It reads the book in place; a refresh is a reset, so a book of any size shows at once and
// only the visible rows are ever formatted.

#include <QAbstractTableModel>

#include "contacts/Contact.h"

class CAddressBookModel : public QAbstractTableModel {
    Q_OBJECT

public:
    CAddressBookModel(const AddressBook& book, QObject* parent);

    // Call after the book changed: the view forgets its rows and selection.
    void Reset();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const AddressBook& m_book;
    int m_rows = 0;  // as of the last reset: the book may change just before one
};
