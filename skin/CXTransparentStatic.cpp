#include "skin/CXTransparentStatic.h"

CXTransparentStatic::CXTransparentStatic(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(false);
}

void CXTransparentStatic::SetBackgroundColor(const QColor& colour) {
    m_backgroundColour = colour;
    // With a colour the window's own control colouring applies, as for any other label of the window.
    setAutoFillBackground(colour.isValid());
    update();
}
