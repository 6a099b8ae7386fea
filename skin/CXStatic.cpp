#include "skin/CXStatic.h"

CXStatic::CXStatic(QWidget* parent) : QLabel(parent) {
    ApplyColours();
}

void CXStatic::SetTextColor(const QColor& colour) {
    m_textColour = colour;
    ApplyColours();
}

void CXStatic::SetBackgroundColor(const QColor& colour) {
    m_backgroundColour = colour;
    ApplyColours();
}

void CXStatic::ApplyColours() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, m_textColour);
    if (m_backgroundColour.isValid()) {
        pal.setColor(QPalette::Window, m_backgroundColour);
    }
    setPalette(pal);
    setAutoFillBackground(m_backgroundColour.isValid());
    update();
}
