#include "skin/CXEdit.h"

#include "skin/FieldColours.h"
#include "skin/UiText.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Refuses what CXEdit::Accepts refuses; the field stays as it was.
class EditValidator : public QValidator {
public:
    explicit EditValidator(CXEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int&) const override { return m_edit->Accepts(input) ? Acceptable : Invalid; }

private:
    CXEdit* m_edit;
};

} // namespace

CXEdit::CXEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setValidator(new EditValidator(this));
    ApplyColours();
    connect(this, &QLineEdit::textChanged, this, &CXEdit::RefreshBackground);
}

void CXEdit::SetTextColor(const QColor& colour) {
    m_textColour = colour;
    ApplyColours();
}

void CXEdit::SetBackgroundColor(const QColor& colour) {
    m_backgroundColour = colour;
    ApplyColours();
}

void CXEdit::ApplyColours() {
    ApplyFieldColours(*this, *this, QPalette::Text, QPalette::Base, m_textColour, m_backgroundColour);
}

void CXEdit::SetByteLimit(int bytes) {
    m_byteLimit = bytes;
}

bool CXEdit::Accepts(const QString& text) const {
    if (m_digitsOnly) {
        for (QChar c : text) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                return false;
            }
        }
    }
    return FitsCp949(text, m_byteLimit);
}

std::string CXEdit::Cp949Text() const {
    return FromUi(text()).value_or(std::string());
}

void CXEdit::SetCp949Text(const std::string& text) {
    setText(ToUi(text));
    RefreshBackground();
}

void CXEdit::RefreshBackground() {
    RepaintUnder(*this);
}

void CXEdit::keyPressEvent(QKeyEvent* event) {
    RefreshBackground();
    QLineEdit::keyPressEvent(event);
}

void CXEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RefreshBackground();
    }
    QLineEdit::keyReleaseEvent(event);
}

void CXEdit::focusOutEvent(QFocusEvent* event) {
    RefreshBackground();
    QLineEdit::focusOutEvent(event);
}

void CXEdit::mousePressEvent(QMouseEvent* event) {
    RefreshBackground();
    QLineEdit::mousePressEvent(event);
}

void CXEdit::wheelEvent(QWheelEvent* event) {
    RefreshBackground();
    QLineEdit::wheelEvent(event);
}
