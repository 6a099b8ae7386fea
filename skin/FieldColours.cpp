#include "skin/FieldColours.h"

void ApplyFieldColours(QWidget& widget, QWidget& surface, QPalette::ColorRole textRole,
                       QPalette::ColorRole backgroundRole, const QColor& text, const QColor& background) {
    QPalette pal = widget.palette();
    pal.setColor(textRole, text);
    pal.setColor(backgroundRole, background.isValid() ? background : QColor(Qt::transparent));
    widget.setPalette(pal);
    surface.setAutoFillBackground(background.isValid());
    RepaintUnder(widget);
}

void RepaintUnder(QWidget& widget) {
    if (QWidget* parent = widget.parentWidget()) {
        parent->update(widget.geometry());
    }
    widget.update();
}
