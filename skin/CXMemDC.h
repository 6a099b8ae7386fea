#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <optional>

// An off-screen surface for one drawing: everything painted through Painter() lands in a pixmap of the
// target's clip box, which reaches the target in one copy when the surface is destroyed. A printer target is
// drawn on directly. Unpainted pixels stay transparent, so what lies under the target shows through.
class CXMemDC {
public:
    explicit CXMemDC(QPainter& target);
    ~CXMemDC();
    CXMemDC(const CXMemDC&) = delete;
    CXMemDC& operator=(const CXMemDC&) = delete;

    QPainter& Painter() { return m_painter ? *m_painter : m_target; }
    const QRect& Rect() const { return m_rect; }

private:
    QPainter& m_target;
    QRect m_rect;
    QPixmap m_pixmap;
    std::optional<QPainter> m_painter;
};
