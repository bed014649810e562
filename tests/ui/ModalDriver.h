#pragma once
// Drives a modal dialog from inside its own modal loop: the first modal dialog of type D that
// opens while the driver lives gets `act` run on it, and is closed afterwards if `act` left it
// open, so a failing test cannot hang in the loop.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

template <class D = QDialog>
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(D&)> act) : m_act(std::move(act)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            m_timer.stop();
            ++m_runs;
            m_act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        m_timer.start();
    }

    // How often a dialog was driven (0 when none opened; never more than once).
    int Runs() const { return m_runs; }

private:
    std::function<void(D&)> m_act;
    QTimer m_timer;
    int m_runs = 0;
};
