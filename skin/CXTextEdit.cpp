#include "skin/CXTextEdit.h"

#include "skin/FieldColours.h"
#include "skin/FitText.h"
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

// Typing, pasting and dropping all end here: what does not fit is cut from the change, the rest stays.
void CXTextEdit::KeepOrRefuse() {
    const QString now = toPlainText();
    const FittedText fitted =
        KeepWhatFits(m_accepted, now, [this](const QString& whole) { return FitsCp949(WithCrLf(whole), m_byteLimit); });
    m_accepted = fitted.text;
    if (fitted.cut.isEmpty()) {
        RefreshBackground();
        return;
    }
    {
        const QSignalBlocker block(this);
        setPlainText(fitted.text);
        QTextCursor cursor = textCursor();
        cursor.setPosition(static_cast<int>(fitted.cursor));
        setTextCursor(cursor);
    }
    RefreshBackground();
    if (FitsCp949(fitted.cut, 0)) {
        QMetaObject::invokeMethod(
            this, [this, cut = fitted.cut] { emit Overflowed(cut); }, Qt::QueuedConnection);
    }
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
