#pragma once

#include <QColor>
#include <QLabel>

// A label or picture of a skinned window. With no background colour (the default) the window's background
// shows through it and its text keeps the window's text colour; with a colour it is painted like any label
// of its window.
class CXTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CXTransparentStatic(QWidget* parent = nullptr);

    void SetBackgroundColor(const QColor& colour);
    QColor BackgroundColor() const { return m_backgroundColour; }

private:
    QColor m_backgroundColour;
};
