#pragma once

#include <QColor>
#include <QLabel>

// A text on a skinned background: transparent unless given a background colour, in its own text colour.
class CXStatic : public QLabel {
    Q_OBJECT
public:
    explicit CXStatic(QWidget* parent = nullptr);

    void SetTextColor(const QColor& colour);
    // An invalid colour makes the text transparent (the default).
    void SetBackgroundColor(const QColor& colour);
    QColor TextColor() const { return m_textColour; }
    QColor BackgroundColor() const { return m_backgroundColour; }

private:
    void ApplyColours();

    QColor m_textColour{0, 0, 0};
    QColor m_backgroundColour;
};
