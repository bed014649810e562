#pragma once
// CRecipientTable: the details of one batch, a row per recipient: name, number, carrier, the
// parts it took, how it went and what the network later reported of it.

#include <QTableWidget>
#include <vector>

#include "history/HistoryRecords.h"

class CRecipientTable : public QTableWidget {
    Q_OBJECT

public:
    explicit CRecipientTable(QWidget* parent);
    void Show(const std::vector<HistoryRecipient>& recipients);
};
