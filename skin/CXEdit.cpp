#include "skin/CXEdit.h"

#include "skin/FieldColours.h"
#include "skin/FitText.h"
#include "skin/UiText.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Keeps what fits of a change (CXEdit::Fit); a refused change leaves the field as it was.
class EditValidator : public QValidator {
public:
    explicit EditValidator(CXEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int& cursor) const override {
        return m_edit->Fit(input, cursor) ? Acceptable : Invalid;
    }

private:
    CXEdit* m_edit;
};

bool AllDigits(const QString& text) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

} // namespace

CXEdit::CXEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setValidator(new EditValidator(this));
    ApplyColours();
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_accepted = text;
        RefreshBackground();
    });
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
    return (!m_digitsOnly || AllDigits(text)) && FitsCp949(text, m_byteLimit);
}

bool CXEdit::Fit(QString& text, int& cursor) {
    if (Accepts(text)) {
        return true;
    }
    if (m_digitsOnly && !AllDigits(text)) {
        return false;
    }
    const FittedText fitted =
        KeepWhatFits(m_accepted, text, [this](const QString& whole) { return FitsCp949(whole, m_byteLimit); });
    text = fitted.text;
    cursor = static_cast<int>(fitted.cursor);
    // Told after the change is done, so whoever listens sees the field as kept.
    if (!fitted.cut.isEmpty() && FitsCp949(fitted.cut, 0)) {
        QMetaObject::invokeMethod(
            this, [this, cut = fitted.cut] { emit Overflowed(cut); }, Qt::QueuedConnection);
    }
    return true;
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
