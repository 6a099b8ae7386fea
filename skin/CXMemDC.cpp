#include "skin/CXMemDC.h"

#include <QPaintDevice>

CXMemDC::CXMemDC(QPainter& target) : m_target(target) {
    QPaintDevice* device = target.device();
    if (!device || device->devType() == QInternal::Printer) {
        return;
    }
    m_rect = target.hasClipping() ? target.clipBoundingRect().toAlignedRect()
                                  : QRect(0, 0, device->width(), device->height());
    if (m_rect.isEmpty()) {
        return;
    }
    const qreal ratio = device->devicePixelRatioF();
    m_pixmap = QPixmap(m_rect.size() * ratio);
    m_pixmap.setDevicePixelRatio(ratio);
    m_pixmap.fill(Qt::transparent);
    m_painter.emplace(&m_pixmap);
    m_painter->translate(-m_rect.topLeft());
    m_painter->setFont(target.font());
    m_painter->setRenderHints(target.renderHints());
}

CXMemDC::~CXMemDC() {
    if (!m_painter) {
        return;
    }
    m_painter->end();
    m_target.drawPixmap(m_rect.topLeft(), m_pixmap);
}
