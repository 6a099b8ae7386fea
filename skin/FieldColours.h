#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// The colouring shared by the skinned text fields and labels: the text in its own colour, and either a solid
// background painted on `surface` or none at all, so that the window's picture shows through.
void ApplyFieldColours(QWidget& widget, QWidget& surface, QPalette::ColorRole textRole,
                       QPalette::ColorRole backgroundRole, const QColor& text, const QColor& background);

// Has the parent repaint what lies under the widget, so a transparent field never keeps stale pixels.
void RepaintUnder(QWidget& widget);
