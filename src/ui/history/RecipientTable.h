#pragma once
// CRecipientTable: the details of one batch, a row per recipient: name, number, carrier, the
// parts it took and how it went.

#include <QTableWidget>
#include <vector>

#include "history/HistoryRecords.h"

class CRecipientTable : public QTableWidget {
    Q_OBJECT

public:
    explicit CRecipientTable(QWidget* parent);
    void Show(const std::vector<HistoryRecipient>& recipients);
};
