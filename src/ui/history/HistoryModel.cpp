#include "ui/history/HistoryModel.h"

#include <QDateTime>
#include <QStringList>

#include "contacts/PhoneNumbers.h"
#include "ui/platform/GuiText.h"

QString HistoryLocalTime(std::int64_t utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs).toLocalTime().toString(
        QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString ResultSummary(const HistoryBatch& batch) {
    const int total = batch.sentCount + batch.failedCount;
    if (batch.failedCount == 0)
        return QStringLiteral("Sent");
    if (batch.failedCount == total)
        return QStringLiteral("Failed");
    return QStringLiteral("%1 of %2 failed").arg(batch.failedCount).arg(total);
}

QString RecipientsText(const std::vector<HistoryRecipient>& recipients) {
    QStringList names;
    for (const HistoryRecipient& r : recipients)
        names << ToQt(r.name.empty() ? FormatPhoneNumber(r.number) : r.name);
    return names.join(QStringLiteral(", "));
}

CHistoryModel::CHistoryModel(CHistoryStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {
    m_query.limit = kPageSize;
    fetchMore({});
}

void CHistoryModel::SetFilter(const QString& search, bool failuresOnly) {
    m_query.searchUtf8 = search.toStdString();
    m_query.failuresOnly = failuresOnly;
    Reload();
}

void CHistoryModel::Reload() {
    beginResetModel();
    m_rows.clear();
    m_atEnd = false;
    endResetModel();
    fetchMore({});  // the first page at once; the view asks for more as it scrolls
}

const HistoryBatch* CHistoryModel::BatchAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? &m_rows[row] : nullptr;
}

int CHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

bool CHistoryModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd;
}

void CHistoryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    HistoryQuery query = m_query;
    query.before = m_rows.empty() ? 0 : m_rows.back().id;
    std::vector<HistoryBatch> page = m_store.Page(query);
    m_atEnd = static_cast<int>(page.size()) < kPageSize;
    if (page.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    for (HistoryBatch& batch : page) m_rows.push_back(std::move(batch));
    endInsertRows();
}

QString CHistoryModel::Cell(const HistoryBatch& batch, int column) const {
    switch (column) {
        case ColumnTime:
            return HistoryLocalTime(batch.sentAt);
        case ColumnRecipients:
            return RecipientsText(batch.recipients);
        case ColumnMessage:
            return QString::fromStdString(batch.firstLineUtf8);
        default:
            return ResultSummary(batch);
    }
}

QVariant CHistoryModel::data(const QModelIndex& index, int role) const {
    const HistoryBatch* batch = BatchAt(index.row());
    if (!batch || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return Cell(*batch, index.column());
}

QVariant CHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList kHeaders = {QStringLiteral("Time"), QStringLiteral("Recipients"),
                                         QStringLiteral("Message"), QStringLiteral("Result")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return kHeaders.value(section);
}

QString CHistoryModel::RowText(int row) const {
    const HistoryBatch* batch = BatchAt(row);
    if (!batch)
        return {};
    QStringList cells;
    for (int column = 0; column < ColumnCount; ++column) cells << Cell(*batch, column);
    return cells.join(QLatin1Char('\t'));
}
