#include "ui/main/MessageEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>
#include <memory>

#include "app/SmsPreview.h"
#include "ui/main/PartPreviewLabel.h"
#include "ui/platform/GuiText.h"

CMessageEditor::CMessageEditor(const MessageEditorFields& fields, QObject* parent)
    : QObject(parent), m_fields(fields) {
    QPlainTextEdit* message = m_fields.message;
    message->setTabChangesFocus(true);
    message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    font.setWeight(QFont::DemiBold);
    message->setFont(font);
    message->installEventFilter(this);

    connect(message, &QPlainTextEdit::textChanged, this, &CMessageEditor::LimitLength);
    // After the limit, so the preview counts what stays.
    connect(message, &QPlainTextEdit::textChanged, this, &CMessageEditor::UpdatePreview);
    connect(m_fields.to, &QComboBox::editTextChanged, this, &CMessageEditor::UpdatePreview);
    connect(m_fields.from, &QComboBox::editTextChanged, this, &CMessageEditor::UpdatePreview);
    message->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(message, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const std::unique_ptr<QMenu> menu(CreateMenu(at));
        menu->exec(m_fields.message->viewport()->mapToGlobal(at));
    });
}

std::string CMessageEditor::Text() const {
    std::string text = FromQt(m_fields.message->toPlainText());
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void CMessageEditor::ForgetAddressBook() {
    m_fields.preview->ForgetAddressBook();
    UpdatePreview();
}

void CMessageEditor::SetRoute(DeliveryRoute route) {
    m_route = route;
    UpdatePreview();
}

void CMessageEditor::UpdatePreview() {
    if (m_route != RouteCarrierForms) {
        m_fields.preview->ShowSms(m_fields.message->toPlainText());
        return;
    }
    const QComboBox* to = m_fields.to;
    const QComboBox* from = m_fields.from;
    m_fields.preview->Show(
        FromQt(to->currentText()), FromQt(from->currentText()), Text(),
        to->currentText() + from->currentText() + m_fields.message->toPlainText());
}

QMenu* CMessageEditor::CreateMenu(const QPoint& position) {
    QPlainTextEdit* message = m_fields.message;
    QMenu* menu = message->createStandardContextMenu(position);
    menu->addSeparator();
    // The history is found among the program's own commands, without a control of its own.
    QAction* history = menu->addAction(QStringLiteral("History of Sent Messages..."));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(history, &QAction::triggered, this, &CMessageEditor::historyRequested);
    QAction* replace =
        menu->addAction(QString::fromUtf8(std::string(ReplaceActionText(m_route)).c_str()));
    const std::string typed = message->toPlainText().toStdString();
    replace->setEnabled(!message->isReadOnly() && ReplaceForRoute(m_route, typed) != typed);
    connect(replace, &QAction::triggered, this, &CMessageEditor::ReplaceUnsendableCharacters);
    return menu;
}

void CMessageEditor::ReplaceUnsendableCharacters() {
    QPlainTextEdit* message = m_fields.message;
    const QString typed = message->toPlainText();
    const QString replaced = QString::fromStdString(ReplaceForRoute(m_route, typed.toStdString()));
    if (replaced == typed)
        return;
    const int position = message->textCursor().position();
    QTextCursor all(message->document());
    all.select(QTextCursor::Document);
    all.insertText(replaced);
    QTextCursor caret = message->textCursor();
    caret.setPosition(std::min<int>(position, static_cast<int>(replaced.size())));
    message->setTextCursor(caret);
}

void CMessageEditor::LimitLength() {
    QPlainTextEdit* message = m_fields.message;
    const QString text = message->toPlainText();
    if (text.size() <= kLimit)
        return;
    QTextCursor cursor = message->textCursor();
    const int position = std::min<int>(cursor.position(), kLimit);
    const QSignalBlocker block(message);
    message->setPlainText(text.left(kLimit));
    cursor = message->textCursor();
    cursor.setPosition(position);
    message->setTextCursor(cursor);
    QApplication::beep();
}

bool CMessageEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QObject::eventFilter(watched, event);
    // Ctrl+Enter still breaks a line.
    if (key->modifiers() & Qt::ControlModifier) {
        m_fields.message->insertPlainText(QStringLiteral("\n"));
    } else {
        emit enterPressed();
    }
    return true;
}
