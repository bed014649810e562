#include "ui/dialogs/LinkLabel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include "runtime/UiServices.h"
#include "ui/platform/GuiText.h"

namespace {

// The wait cursor for as long as the desktop takes to start the browser.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    QFont underlined;  // only the underline is set; the rest comes from the dialog
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::ArrowCursor);  // the normal pointer, as over any text
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
    UpdateColour();
}

void CLinkLabel::SetLink(const std::string& target) {
    m_link = target;
    setToolTip(ToQt(target));
    setAccessibleDescription(ToQt(target));
}

QString CLinkLabel::TipText() const {
    const QFontMetrics metrics(QToolTip::font());
    QStringList lines;
    QString line;
    for (QChar c : ToQt(m_link)) {
        if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > kTipWidth) {
            lines << line;
            line.clear();
        }
        line += c;
    }
    if (!line.isEmpty())
        lines << line;
    return lines.join(QLatin1Char('\n'));
}

bool CLinkLabel::OpenTarget(const std::string& target) {
    bool opened = false;
    {
        const WaitCursor wait;
        opened = UiServices()->OpenLink(target);
    }
    if (!opened)
        UiServices()->Beep();
    return opened;
}

void CLinkLabel::Open() {
    if (!OpenTarget(m_link.empty() ? FromQt(text()) : m_link))
        return;
    m_visited = true;
    UpdateColour();
}

void CLinkLabel::UpdateColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, m_visited ? m_visitedColour : m_linkColour);
    setPalette(colours);
    update();
}

bool CLinkLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        if (m_link.empty())
            return true;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString html =
            QStringLiteral("<p style='white-space:pre'>%1</p>").arg(TipText().toHtmlEscaped());
        QToolTip::showText(help->globalPos(), html, this);
        return true;
    }
    return QLabel::event(event);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CLinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        Open();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CLinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A link reached with Tab shows where the keyboard is.
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
