#pragma once
// CLinkLabel: a text that behaves as a web link. Underlined in pure blue (visited or not), its
// target in a tooltip, opened through the desktop on a click (or Space/Enter when it has the
// focus). A target the desktop cannot open gives a beep, and the link stays unvisited.

#include <QColor>
#include <QLabel>
#include <string>

class CLinkLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr int kTipWidth = 120;  // pixels

    explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);

    // The target opened on a click (program text); empty opens the label's own text.
    void SetLink(const std::string& target);
    const std::string& Link() const { return m_link; }
    bool Visited() const { return m_visited; }

    // The target as the tooltip shows it: broken into lines at most kTipWidth pixels wide.
    QString TipText() const;

    void Open();

    // Opens a target through the desktop under the wait cursor; beeps and returns false when
    // the desktop cannot open it. The dialogs' donation buttons use it too.
    static bool OpenTarget(const std::string& target);

protected:
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateColour();

    std::string m_link;
    bool m_visited = false;
    QColor m_linkColour{0, 0, 255};
    QColor m_visitedColour{0, 0, 255};
};
