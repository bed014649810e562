#include "ui/addressbook/AddressBookModel.h"

#include "contacts/PhoneNumbers.h"
#include "ui/platform/GuiText.h"

CAddressBookModel::CAddressBookModel(const AddressBook& book, QObject* parent)
    : QAbstractTableModel(parent), m_book(book), m_rows(static_cast<int>(book.size())) {}

void CAddressBookModel::Reset() {
    beginResetModel();
    m_rows = static_cast<int>(m_book.size());
    endResetModel();
}

int CAddressBookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CAddressBookModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CAddressBookModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    if (role != Qt::DisplayRole || !index.isValid() || row >= m_book.size())
        return {};
    const CContact& c = m_book[row];
    return index.column() == 0 ? ToQt(c.Name) : ToQt(FormatPhoneNumber(c.Number));
}

QVariant CAddressBookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Number");
}
