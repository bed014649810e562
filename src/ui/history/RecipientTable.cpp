#include "ui/history/RecipientTable.h"

#include <QHeaderView>

#include "contacts/PhoneNumbers.h"
#include "ui/platform/GuiText.h"

namespace {

QStringList Cells(const HistoryRecipient& r) {
    return {ToQt(r.name), ToQt(FormatPhoneNumber(r.number)), ToQt(r.carrier),
            QString::number(r.parts), r.Failed() ? ToQt(r.resultText) : QStringLiteral("Sent")};
}

}  // namespace

CRecipientTable::CRecipientTable(QWidget* parent) : QTableWidget(0, 5, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Number"),
                               QStringLiteral("Carrier"), QStringLiteral("Parts"),
                               QStringLiteral("Result")});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
}

void CRecipientTable::Show(const std::vector<HistoryRecipient>& recipients) {
    setRowCount(static_cast<int>(recipients.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const QStringList cells = Cells(recipients[row]);
        for (int column = 0; column < cells.size(); ++column)
            setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    resizeColumnsToContents();
}
