#include "skin/CXTextEdit.h"

#include "skin/FieldColours.h"
#include "skin/UiText.h"

#include <QSignalBlocker>

namespace {
QString WithCrLf(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}
} // namespace

CXTextEdit::CXTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(true);
    viewport()->setAutoFillBackground(false);
    ApplyColours();
    connect(this, &QPlainTextEdit::textChanged, this, &CXTextEdit::KeepOrRefuse);
}

void CXTextEdit::SetTextColor(const QColor& colour) {
    m_textColour = colour;
    ApplyColours();
}

void CXTextEdit::SetBackgroundColor(const QColor& colour) {
    m_backgroundColour = colour;
    ApplyColours();
}

void CXTextEdit::ApplyColours() {
    ApplyFieldColours(*this, *viewport(), QPalette::Text, QPalette::Base, m_textColour, m_backgroundColour);
}

// Typing, pasting and dropping all end here: a text that does not fit is put back as it was.
void CXTextEdit::KeepOrRefuse() {
    const QString now = toPlainText();
    if (FitsCp949(WithCrLf(now), m_byteLimit)) {
        m_accepted = now;
        RefreshBackground();
        return;
    }
    const qsizetype grown = now.size() - m_accepted.size();
    const qsizetype position = std::clamp(textCursor().position() - grown, qsizetype(0), m_accepted.size());
    const QSignalBlocker block(this);
    setPlainText(m_accepted);
    QTextCursor cursor = textCursor();
    cursor.setPosition(static_cast<int>(position));
    setTextCursor(cursor);
}

std::string CXTextEdit::Cp949Text() const {
    return FromUi(WithCrLf(toPlainText())).value_or(std::string());
}

void CXTextEdit::SetCp949Text(const std::string& text) {
    QString shown = ToUi(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QSignalBlocker block(this);
    setPlainText(shown);
    m_accepted = toPlainText();
    RefreshBackground();
}

void CXTextEdit::RefreshBackground() {
    RepaintUnder(*this);
    viewport()->update();
}

void CXTextEdit::focusOutEvent(QFocusEvent* event) {
    RefreshBackground();
    QPlainTextEdit::focusOutEvent(event);
}

void CXTextEdit::keyPressEvent(QKeyEvent* event) {
    RefreshBackground();
    QPlainTextEdit::keyPressEvent(event);
}

void CXTextEdit::wheelEvent(QWheelEvent* event) {
    RefreshBackground();
    QPlainTextEdit::wheelEvent(event);
}

void CXTextEdit::scrollContentsBy(int dx, int dy) {
    QPlainTextEdit::scrollContentsBy(dx, dy);
    RefreshBackground();
}
