#pragma once
// CHistoryAccess: the main window's way into the history of sent messages. Ctrl+H (or the
// message field's menu) opens the history window, once made and then brought to the front; a
// history that could not be opened is told about once the main window shows.

#include <QObject>
#include <QString>

class CHistoryWindow;
class QWidget;

class CHistoryAccess : public QObject {
    Q_OBJECT

public:
    explicit CHistoryAccess(QWidget* mainWindow);

    // Opens the history window; null when the program keeps no history.
    CHistoryWindow* Open();
    // After a batch report: a new notice is told, and an open window shows the batch.
    void OnBatchReported();

signals:
    // "Send again to the failed recipients": the history window has stepped aside.
    void sendAgain(const QString& to, const QString& message);

private:
    QWidget* m_mainWindow;
    CHistoryWindow* m_window = nullptr;
};
