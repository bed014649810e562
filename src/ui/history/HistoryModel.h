#pragma once
// CHistoryModel: the sent batches, newest first, read from the history a page at a time as the
// view scrolls to them, so the window opens at once however long the history is.

#include <QAbstractTableModel>
#include <vector>

#include "history/HistoryStore.h"

class CHistoryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ColumnTime, ColumnRecipients, ColumnMessage, ColumnResult, ColumnCount };
    static constexpr int kPageSize = 50;

    CHistoryModel(CHistoryStore& store, QObject* parent);

    // Starts again from the newest batch that matches.
    void SetFilter(const QString& search, bool failuresOnly);
    void Reload();
    const HistoryBatch* BatchAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // One line per batch for the clipboard.
    QString RowText(int row) const;

private:
    QString Cell(const HistoryBatch& batch, int column) const;

    CHistoryStore& m_store;
    HistoryQuery m_query;
    std::vector<HistoryBatch> m_rows;
    bool m_atEnd = false;
};

// A time the history keeps (UTC milliseconds) as the window shows it, in local time.
QString HistoryLocalTime(std::int64_t utcMs);
// "Sent", "Failed" or "2 of 3 failed".
QString ResultSummary(const HistoryBatch& batch);
// The names as shown in To, or the numbers (in display form) of those without one.
QString RecipientsText(const std::vector<HistoryRecipient>& recipients);
