#include "ui/history/RecipientTable.h"

#include <QHeaderView>
#include <array>

#include "contacts/PhoneNumbers.h"
#include "ui/history/HistoryModel.h"
#include "ui/platform/GuiText.h"

namespace {

// What the network last said of the message, and when; empty on a route without reports.
QString DeliveryText(const HistoryRecipient& r) {
    static constexpr std::array<const char*, 5> kStates = {"", "Pending", "Delivered", "Failed",
                                                           "Expired"};
    const auto state = static_cast<std::size_t>(r.state);
    if (state == 0 || state >= kStates.size())
        return {};
    return QStringLiteral("%1 %2").arg(QLatin1String(kStates[state]), HistoryLocalTime(r.stateAt));
}

QStringList Cells(const HistoryRecipient& r) {
    return {ToQt(r.name),
            ToQt(FormatPhoneNumber(r.number)),
            ToQt(r.carrier),
            QString::number(r.parts),
            r.Failed() ? ToQt(r.resultText) : QStringLiteral("Sent"),
            DeliveryText(r)};
}

}  // namespace

CRecipientTable::CRecipientTable(QWidget* parent) : QTableWidget(0, 6, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Number"),
                               QStringLiteral("Carrier"), QStringLiteral("Parts"),
                               QStringLiteral("Result"), QStringLiteral("Delivery")});
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
