#include "ui/history/HistoryWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "app/AppHistory.h"
#include "app/HistoryKeeping.h"
#include "contacts/AddressBookLookup.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "ui/history/HistoryIds.h"
#include "ui/history/HistoryModel.h"
#include "ui/history/RecipientTable.h"
#include "ui/platform/AppIcon.h"
#include "ui/platform/GuiText.h"

namespace {

// A deletion is quick; the window waits for it so that what it shows is what is kept.
constexpr std::chrono::seconds kWriteWait{2};

template <class W>
W* Named(W* widget, ControlName name) {
    NameControl(widget, name);
    return widget;
}

}  // namespace

QString ResendToText(const std::vector<HistoryRecipient>& recipients) {
    QStringList items;
    for (const HistoryRecipient& r : recipients) {
        const bool named =
            !r.name.empty() && LookupNumberByName(AppSettings().AddressBook, r.name) == r.number;
        items << ToQt(named ? r.name : r.number);
    }
    return items.join(QStringLiteral(", "));
}

CHistoryWindow::CHistoryWindow(CAppHistory& history, QWidget* parent)
    : QDialog(parent), m_history(history), m_store(std::make_unique<CHistoryStore>()) {
    NameControl(this, HistoryIds::kWindow);
    setWindowTitle(QStringLiteral("Quillo - History"));
    setWindowIcon(AppIcon());
    HistoryOptions reader;
    reader.reader = true;
    m_store->Open(history.File(), reader);
    m_model = new CHistoryModel(*m_store, this);
    CreateControls();
    Connect();
    resize(860, 500);
    OnSelectionChanged();
}

CHistoryWindow::~CHistoryWindow() = default;

void CHistoryWindow::CreateControls() {
    using namespace HistoryIds;
    m_search = Named(new QLineEdit(this), kSearch);
    m_search->setPlaceholderText(QStringLiteral("Search the messages, names and numbers"));
    m_search->setClearButtonEnabled(true);
    m_failuresOnly = Named(new QCheckBox(QStringLiteral("&Failures only"), this), kFailuresOnly);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(m_search);

    m_batches = Named(new QTableView(this), kBatches);
    m_batches->setModel(m_model);
    m_batches->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_batches->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_batches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_batches->verticalHeader()->hide();
    m_batches->horizontalHeader()->setStretchLastSection(true);
    m_batches->setColumnWidth(CHistoryModel::ColumnTime, 120);
    m_batches->setColumnWidth(CHistoryModel::ColumnRecipients, 180);
    m_batches->setColumnWidth(CHistoryModel::ColumnMessage, 260);
    m_batches->installEventFilter(this);
    m_recipients = Named(new CRecipientTable(this), kRecipients);

    m_sendAgain = Named(
        new QPushButton(QStringLiteral("Send &again to the failed recipients"), this), kSendAgain);
    m_copy = Named(new QPushButton(QStringLiteral("&Copy"), this), kCopy);
    m_delete = Named(new QPushButton(QStringLiteral("&Delete"), this), kDelete);
    m_clearAll = Named(new QPushButton(QStringLiteral("C&lear All..."), this), kClearAll);
    m_keep = Named(new QComboBox(this), kKeep);
    CreateKeepChoice(m_keep);
    auto* close = Named(new QPushButton(QStringLiteral("Close"), this), kClose);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(searchLabel);
    top->addWidget(m_search, 1);
    top->addWidget(m_failuresOnly);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_batches);
    split->addWidget(m_recipients);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_sendAgain), static_cast<QWidget*>(m_copy),
                       static_cast<QWidget*>(m_delete), static_cast<QWidget*>(m_clearAll)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(m_keep);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
}

void CHistoryWindow::CreateKeepChoice(QComboBox* keep) {
    static const std::pair<int, const char*> kChoices[] = {
        {kKeepHistoryForever, "Keep every batch"},
        {365, "Keep 365 days"},
        {90, "Keep 90 days"},
        {30, "Keep 30 days"},
        {7, "Keep 7 days"},
        {0, "Keep no history"}};
    for (const auto& [days, text] : kChoices) keep->addItem(QString::fromLatin1(text), days);
    const int current = m_history.KeepDays();
    if (keep->findData(current) < 0)
        keep->addItem(QStringLiteral("Keep %1 days").arg(current), current);
    keep->setCurrentIndex(keep->findData(current));
    keep->setToolTip(QStringLiteral("Older batches are removed when Quillo starts"));
}

void CHistoryWindow::Connect() {
    connect(m_search, &QLineEdit::textChanged, this, &CHistoryWindow::OnFilterChanged);
    connect(m_failuresOnly, &QCheckBox::toggled, this, &CHistoryWindow::OnFilterChanged);
    connect(m_batches->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CHistoryWindow::OnSelectionChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &CHistoryWindow::OnSelectionChanged);
    connect(m_sendAgain, &QPushButton::clicked, this, &CHistoryWindow::OnSendAgain);
    connect(m_copy, &QPushButton::clicked, this, &CHistoryWindow::OnCopy);
    connect(m_delete, &QPushButton::clicked, this, &CHistoryWindow::OnDelete);
    connect(m_clearAll, &QPushButton::clicked, this, &CHistoryWindow::OnClearAll);
    connect(m_keep, &QComboBox::activated, this, &CHistoryWindow::OnKeepChosen);
}

void CHistoryWindow::Refresh() {
    m_model->Reload();
}

void CHistoryWindow::OnFilterChanged() {
    m_model->SetFilter(m_search->text(), m_failuresOnly->isChecked());
}

std::vector<int> CHistoryWindow::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_batches->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CHistoryWindow::OnSelectionChanged() {
    const std::vector<int> rows = SelectedRows();
    const HistoryBatch* one = rows.size() == 1 ? m_model->BatchAt(rows.front()) : nullptr;
    m_recipients->Show(one ? one->recipients : std::vector<HistoryRecipient>{});
    m_sendAgain->setEnabled(one && one->failedCount > 0);
    m_copy->setEnabled(!rows.empty());
    m_delete->setEnabled(!rows.empty());
}

void CHistoryWindow::OnSendAgain() {
    const std::vector<int> rows = SelectedRows();
    const HistoryBatch* batch = rows.size() == 1 ? m_model->BatchAt(rows.front()) : nullptr;
    if (!batch)
        return;
    const std::optional<HistoryResend> resend = m_store->FailedRecipients(batch->id);
    if (!resend || resend->failed.empty())
        return;
    // The job carried the message with CR LF line ends; the message field wants LF.
    QString message = QString::fromStdString(resend->messageUtf8);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    emit sendAgain(ResendToText(resend->failed), message);
}

void CHistoryWindow::OnCopy() {
    QStringList lines;
    for (int row : SelectedRows()) lines << m_model->RowText(row);
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void CHistoryWindow::OnDelete() {
    std::vector<std::int64_t> ids;
    for (int row : SelectedRows()) ids.push_back(m_model->BatchAt(row)->id);
    if (ids.empty())
        return;
    m_history.DeleteBatches(std::move(ids));
    AfterWrite();
}

void CHistoryWindow::OnClearAll() {
    if (ShowMessageBox("Remove every batch from the history?", MbButtons::YesNo,
                       MbIcon::Question) != MbResult::Yes)
        return;
    m_history.ClearAll();
    AfterWrite();
}

void CHistoryWindow::AfterWrite() {
    m_history.WaitUntilWritten(kWriteWait);
    m_model->Reload();
}

void CHistoryWindow::OnKeepChosen(int index) {
    if (!m_history.SetKeepDays(m_keep->itemData(index).toInt()))
        ShowMessageBox("The history's options could not be saved.", MbButtons::Ok, MbIcon::Warning);
}

bool CHistoryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_batches || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Delete) || key->key() == Qt::Key_Delete) {
        OnDelete();
        return true;
    }
    if (key->matches(QKeySequence::Copy)) {
        OnCopy();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
