#include "ui/completion/SuggestionList.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <array>

#include "ui/platform/GuiText.h"

namespace {

constexpr int kGripLines = 20;

int ScrollBarExtent(const QWidget* widget) {
    return widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
}

}  // namespace

// A tool-tip kind of window: no frame, kept on top, and never activated by the window manager
// (nor by the offscreen platform the tests run on), so the field keeps the focus.
CSuggestionList::CSuggestionList(QWidget* control)
    : QWidget(control, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_control(control) {
    NameControl(this, kName);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Every pixel is drawn from the off-screen buffer: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &CSuggestionList::OnScrolled);

    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &CSuggestionList::OnWatchTick);
    m_animation.setInterval(kAnimationStepMs);
    connect(&m_animation, &QTimer::timeout, this, &CSuggestionList::OnAnimationStep);
    m_clickPause.setSingleShot(true);
    m_clickPause.setInterval(kClickPauseMs);
    connect(&m_clickPause, &QTimer::timeout, this, &CSuggestionList::HideList);
    // Switching to another program, or back, closes the list.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &CSuggestionList::HideList);
}

void CSuggestionList::Attach(const QFont& font) {
    setFont(font);
    m_rowHeight = std::max(1, QFontMetrics(font).height());
    m_scrollBar->setValue(0);
    LayoutScrollBar();
}

void CSuggestionList::ClearSuggestions() {
    m_filter.Clear();
    HideList();
}

void CSuggestionList::Filter(const std::string& typed) {
    const auto matches = static_cast<int>(m_filter.Filter(typed));
    if (matches == 0) {
        HideList();
        return;
    }
    m_clickPause.stop();  // typing on during a click's pause keeps the list
    m_rows.SetCount(matches);
    ShowUnderField();
    LayoutScrollBar();
    update();
}

void CSuggestionList::ShowUnderField() {
    const QRect field = FieldRect();
    QSize size(field.width(), CSuggestionRows::ListHeight(m_rows.Count(), m_rowHeight, kBorder));
    if (!m_resized.isEmpty())
        size = m_resized.size();
    setGeometry(QRect(field.bottomLeft() + QPoint(0, 1), size));
    if (!isVisible()) {
        m_watchedRect = MainWindowRect();
        m_watch.start();
        show();
    }
}

void CSuggestionList::HideList() {
    m_watch.stop();
    m_animation.stop();
    m_clickPause.stop();
    m_dragging = false;
    m_rows.Reset();
    SyncScrollBar();
    hide();
}

void CSuggestionList::MoveSelection(SelectionMove move) {
    m_rows.Move(move);
    ScrollIntoView(m_rows.Selected(), m_rows.Animated());
    update();
}

std::string CSuggestionList::TextToCopy() const {
    return Match(m_rows.RowToCopy());
}

QRect CSuggestionList::ClientRect() const {
    return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

QRect CSuggestionList::FieldRect() const {
    return QRect(m_control->mapToGlobal(QPoint(0, 0)), m_control->size());
}

QRect CSuggestionList::MainWindowRect() const {
    return m_control->window()->frameGeometry();
}

QRect CSuggestionList::RowRect(int row) const {
    const QRect client = ClientRect();
    const int width = client.width() - (m_scrollBar->isVisible() ? m_scrollBar->width() : 0);
    return QRect(client.left(), client.top() + (row - m_rows.Top()) * m_rowHeight, width,
                 m_rowHeight);
}

QRect CSuggestionList::GripRect() const {
    // As wide as a scroll arrow is high and as high as a scroll bar is wide.
    const int extent = ScrollBarExtent(this);
    const QRect client = ClientRect();
    return QRect(client.right() - extent + 1, client.bottom() - extent + 1, extent, extent);
}

int CSuggestionList::RowAt(QPoint pos) const {
    if (!ClientRect().contains(pos))
        return -1;
    const int row = m_rows.Top() + (pos.y() - kBorder) / m_rowHeight;
    return row < m_rows.Count() ? row : -1;
}

QSize CSuggestionList::MinimumTrackSize() const {
    // Never smaller than the frame, both scroll arrows and a thumb: the scroll bar stays usable.
    const int cap = 2 * kBorder + 3 * ScrollBarExtent(this);
    return {m_control->width(),
            CSuggestionRows::MinimumTrackHeight(m_rows.Count(), m_rowHeight, kBorder, cap)};
}

void CSuggestionList::LayoutScrollBar() {
    const QRect client = ClientRect();
    m_rows.SetRowsPerPage(client.height() / m_rowHeight);
    const int extent = ScrollBarExtent(this);
    // Full height less the grip's corner.
    m_scrollBar->setGeometry(client.right() - extent + 1, client.top(), extent,
                             std::max(0, client.height() - extent));
    m_scrollBar->setVisible(m_rows.NeedsScrollBar());
    SyncScrollBar();
}

void CSuggestionList::SyncScrollBar() {
    const QSignalBlocker block(m_scrollBar);
    m_scrollBar->setRange(0, m_rows.MaxTop());
    m_scrollBar->setPageStep(std::max(1, m_rows.RowsPerPage()));
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setValue(m_rows.Top());
}

void CSuggestionList::OnScrolled(int value) {
    if (m_rows.SetTop(value))
        update();
}

void CSuggestionList::ScrollIntoView(int row, bool animated) {
    if (row < 0 || m_rows.InView(row))
        return;
    if (animated) {
        m_animationTarget = row;
        if (!m_animation.isActive())
            m_animation.start();
        return;
    }
    while (m_rows.StepTowards(row)) {
    }
    SyncScrollBar();
    update();
}

void CSuggestionList::OnAnimationStep() {
    if (!m_rows.StepTowards(m_animationTarget))
        m_animation.stop();
    SyncScrollBar();
    repaint();
}

void CSuggestionList::OnWatchTick() {
    if (MainWindowRect() != m_watchedRect)
        HideList();
}

void CSuggestionList::ClickRow(int row) {
    ScrollIntoView(row, true);
    m_rows.Select(row);
    emit rowChosen(row);
    repaint();
    // The user sees the chosen row a moment before the list goes.
    m_clickPause.start();
}

void CSuggestionList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutScrollBar();
    if (!m_resized.isEmpty())
        m_resized = geometry();
}

void CSuggestionList::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        HideList();
    } else if (event->button() == Qt::LeftButton && GripRect().contains(pos)) {
        m_dragging = true;
        m_dragOffset = rect().bottomRight() - pos;
        m_resized = geometry();
    } else if (event->button() == Qt::LeftButton) {
        if (const int row = RowAt(pos); row >= 0)
            ClickRow(row);
    }
}

void CSuggestionList::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        DragGrip(event->globalPosition().toPoint());
        return;
    }
    setCursor(GripRect().contains(pos) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
    if (const int row = RowAt(pos); row >= 0 && row != m_rows.Selected()) {
        m_rows.Select(row);
        update();
    }
}

void CSuggestionList::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void CSuggestionList::DragGrip(QPoint globalPos) {
    const QPoint corner = globalPos + m_dragOffset;
    const QSize minimum = MinimumTrackSize();
    const QPoint topLeft = geometry().topLeft();
    resize(std::max(minimum.width(), corner.x() - topLeft.x() + 1),
           std::max(minimum.height(), corner.y() - topLeft.y() + 1));
}

void CSuggestionList::paintEvent(QPaintEvent*) {
    QPixmap buffer(size() * devicePixelRatioF());
    buffer.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter painter(&buffer);
        const QPalette& colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Base));
        // The frame, in the text colour so that it shows on light and dark themes alike.
        painter.setPen(colours.color(QPalette::Text));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setClipRect(ClientRect());
        PaintRows(painter, RowRect(0).width());
        PaintGrip(painter);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

void CSuggestionList::PaintRows(QPainter& painter, int width) const {
    const QPalette& colours = palette();
    const QFontMetrics metrics(font());
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    const int last = std::min(m_rows.Count(), m_rows.Top() + m_rows.RowsPerPage() + 1);
    for (int row = m_rows.Top(); row < last; ++row) {
        const QRect area = RowRect(row);
        const bool selected = row == m_rows.Selected();
        if (selected)
            painter.fillRect(area, colours.color(QPalette::Highlight));
        painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textArea = area.adjusted(2, 0, 0, 0);
        const QString text = metrics.elidedText(ToQt(Match(row)), Qt::ElideRight, width - 2);
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
}

void CSuggestionList::PaintGrip(QPainter& painter) const {
    const QPalette& colours = palette();
    const std::array<QColor, 3> cycle = {colours.color(QPalette::Base),
                                         colours.color(QPalette::Button),
                                         colours.color(QPalette::Dark)};
    const QPoint corner = ClientRect().bottomRight();
    for (int i = 0; i < kGripLines; ++i) {
        painter.setPen(cycle[static_cast<std::size_t>(i) % cycle.size()]);
        painter.drawLine(corner.x() - i, corner.y(), corner.x(), corner.y() - i);
    }
}
