#include "skin/CXStatic.h"

#include "skin/FieldColours.h"

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
    ApplyFieldColours(*this, *this, QPalette::WindowText, QPalette::Window, m_textColour, m_backgroundColour);
}
