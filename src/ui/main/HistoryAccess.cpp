#include "ui/main/HistoryAccess.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <chrono>

#include "app/AppHistory.h"
#include "ui/history/HistoryWindow.h"

namespace {
constexpr int kOpeningLookMs = 50;
}  // namespace

CHistoryAccess::CHistoryAccess(QWidget* mainWindow)
    : QObject(mainWindow), m_mainWindow(mainWindow) {
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), mainWindow), &QShortcut::activated,
            this, &CHistoryAccess::Open);
    // Once the window shows and the writer has opened the file, a history that could not be
    // used is told about over it. Looked at now and then rather than waited for: opening may
    // remove old batches, and the window must not wait for the disk.
    auto* opening = new QTimer(this);
    connect(opening, &QTimer::timeout, this, [opening] {
        CAppHistory* history = CAppHistory::Running();
        if (history && !history->Opened())
            return;
        opening->stop();
        if (history)
            history->ShowNotice();
    });
    opening->start(kOpeningLookMs);
}

CHistoryWindow* CHistoryAccess::Open() {
    CAppHistory* history = CAppHistory::Running();
    if (!history)
        return nullptr;
    if (!m_window) {
        m_window = new CHistoryWindow(*history, m_mainWindow);
        connect(m_window, &CHistoryWindow::sendAgain, this,
                [this](const QString& to, const QString& message) {
                    // It stays above the main window: out of the way while the user sends.
                    m_window->hide();
                    emit sendAgain(to, message);
                });
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window;
}

void CHistoryAccess::OnBatchReported() {
    CAppHistory* history = CAppHistory::Running();
    if (!history)
        return;
    history->ShowNotice();
    if (m_window && history->WaitUntilWritten(std::chrono::seconds(1)))
        m_window->Refresh();
}
