#pragma once
// CSuggestionList: the drop-down of matching names under the To field. A frameless tool
// window that never takes the keyboard focus, so the user keeps typing in the field while it
// shows; it filters, draws and scrolls the suggestions and hides itself when the field's
// window moves.

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <string>

#include "app/SuggestionRows.h"
#include "contacts/SuggestionFilter.h"
#include "ui/platform/ControlName.h"

class QScrollBar;

class CSuggestionList : public QWidget {
    Q_OBJECT

public:
    static constexpr ControlName kName{1000, "suggestionList"};
    static constexpr int kBorder = 1;  // the one-pixel frame
    static constexpr int kWatchIntervalMs = 200;
    static constexpr int kAnimationStepMs = 10;
    static constexpr int kClickPauseMs = 500;

    // The list belongs to the field's control, which it is destroyed with.
    explicit CSuggestionList(QWidget* control);

    // Measures the rows in the field's font; until then a row is 16 pixels high.
    void Attach(const QFont& font);

    void AddSuggestion(std::string name) { m_filter.Add(std::move(name)); }
    void ClearSuggestions();

    // Shows the names that begin with `typed` under the field, or hides the list.
    void Filter(const std::string& typed);
    void HideList();

    // A key's move: selects, and scrolls the selection into view.
    void MoveSelection(SelectionMove move);
    // The selected suggestion, or the first when none is selected.
    std::string TextToCopy() const;

    const CSuggestionRows& Rows() const { return m_rows; }
    std::string Match(int row) const { return m_filter.Match(static_cast<std::size_t>(row)); }
    int RowHeight() const { return m_rowHeight; }
    QRect RowRect(int row) const;
    QRect GripRect() const;
    QScrollBar* ScrollBar() const { return m_scrollBar; }
    // The smallest size the user can drag the list to with its grip.
    QSize MinimumTrackSize() const;

signals:
    // A click chose `row`, now selected: the field copies it in.
    void rowChosen(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect ClientRect() const;
    QRect FieldRect() const;
    QRect MainWindowRect() const;
    int RowAt(QPoint pos) const;
    void ShowUnderField();
    void LayoutScrollBar();
    void SyncScrollBar();
    void ScrollIntoView(int row, bool animated);
    void OnAnimationStep();
    void OnScrolled(int value);
    void OnWatchTick();
    void ClickRow(int row);
    void DragGrip(QPoint globalPos);
    void PaintRows(QPainter& painter, int width) const;
    void PaintGrip(QPainter& painter) const;

    QWidget* m_control;
    CSuggestionFilter m_filter;
    CSuggestionRows m_rows;
    QScrollBar* m_scrollBar = nullptr;
    int m_rowHeight = 16;
    QRect m_resized;  // the size the user gave the list; empty until then
    QRect m_watchedRect;
    QTimer m_watch;
    QTimer m_animation;
    int m_animationTarget = -1;
    QTimer m_clickPause;
    bool m_dragging = false;
    QPoint m_dragOffset;  // from the grabbed point to the list's bottom-right corner
};
