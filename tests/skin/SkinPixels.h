#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

// Small helpers for looking at what widgets really painted.

inline QImage Shot(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor PixelAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

// A solid bitmap, optionally with its four corners in magenta.
inline QPixmap SolidBitmap(int w, int h, const QColor& fill, bool magentaCorners = true) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    if (magentaCorners) {
        for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
            img.setPixel(p, QColor(255, 0, 255).rgb());
        }
    }
    return QPixmap::fromImage(img);
}

// The bounding box of the pixels of one colour within an area of the image.
inline QRect BoxOf(const QImage& image, const QColor& colour, const QRect& area) {
    QRect box;
    const QRect within = area & image.rect();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (QColor(image.pixel(x, y)) == colour) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}
