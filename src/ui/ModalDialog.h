#pragma once
// CModalDialog: what the program's secondary dialogs share. Each is a fixed-size window owned by
// the main window, laid out in dialog units like it, named after its template id (controls
// after theirs), and deaf to F1, which in the main window opens the About dialog.

#include <QDialog>
#include <QRect>
#include <QString>

class QKeyEvent;
class QLabel;
class QPushButton;

class CModalDialog : public QDialog {
public:
    // `size` is the template's width and height in dialog units.
    CModalDialog(QWidget* owner, int templateId, const QString& caption, QSize size);

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // Places a control of this dialog at `rect` (dialog units) under its id (0: no id).
    template <class W>
    W* Place(W* widget, int id, QRect rect) {
        PlaceWidget(widget, id, rect);
        return widget;
    }
    QLabel* AddText(const QString& text, QRect rect, Qt::Alignment align = Qt::AlignLeft,
                    int id = 0);
    // A text that wraps onto the lines its height allows.
    QLabel* AddParagraph(const QString& text, QRect rect, Qt::Alignment align, int id = 0);
    QPushButton* AddButton(const QString& caption, int id, QRect rect);
    // The default button "OK" (id 1), which accepts the dialog.
    QPushButton* AddOkButton(QRect rect);

private:
    void PlaceWidget(QWidget* widget, int id, QRect rect);
};
