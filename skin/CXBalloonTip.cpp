#include "skin/CXBalloonTip.h"

#include <QAccessible>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

namespace {
constexpr int kPadding = 10;
constexpr int kStem = 10; // height of the pointer above the body

// A rounded body with a pointer on its upper edge, towards the control.
QPainterPath BalloonPath(const QSize& size) {
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, kStem + 0.5, size.width() - 1.0, size.height() - kStem - 1.0), 8, 8);
    QPainterPath stem;
    stem.moveTo(14, kStem + 1);
    stem.lineTo(18, 0.5);
    stem.lineTo(28, kStem + 1);
    stem.closeSubpath();
    return body.united(stem);
}
} // namespace

CXBalloonTip::CXBalloonTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("balloonTip"));
    setAccessibleName(QStringLiteral("tool tip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_showTimer.setSingleShot(true);
    m_hideTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &CXBalloonTip::Popup);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void CXBalloonTip::SetTipFont(const QFont& font) {
    setFont(font);
    update();
}

void CXBalloonTip::AddTool(QWidget* control, const QString& text) {
    if (m_tools.count(control) == 0) {
        // A control that goes away takes its tip with it; a later widget at the same address starts without one.
        connect(control, &QObject::destroyed, this, [this, control] { m_tools.erase(control); });
    }
    m_tools[control] = text;
}

QString CXBalloonTip::ToolText(const QWidget* control) const {
    auto it = m_tools.find(control);
    return it == m_tools.end() ? QString() : it->second;
}

const QWidget* CXBalloonTip::ToolUnder(QObject* target, QEvent* event) const {
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget) {
        return nullptr;
    }
    // A move that a control lets pass on reaches its window too: what counts is the control under the mouse,
    // not who was told of the move. A part of a control (a list's viewport) counts as the control.
    if (event->type() == QEvent::MouseMove) {
        if (QWidget* hit = widget->childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            widget = hit;
        }
    }
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (m_tools.count(widget) != 0) {
            return widget;
        }
    }
    return nullptr;
}

void CXBalloonTip::Relay(QObject* target, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::Enter: {
        const QWidget* tool = ToolUnder(target, event);
        if (!tool) {
            m_armed = nullptr;
            m_showTimer.stop();
            hide();
        } else if (m_armed != tool) {
            hide();
            m_armed = const_cast<QWidget*>(tool);
            m_showTimer.start(m_initialDelay);
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Leave:
    case QEvent::Hide:
        m_armed = nullptr;
        m_showTimer.stop();
        hide();
        break;
    default:
        break;
    }
}

void CXBalloonTip::Say(QWidget* control, const QString& text) {
    m_showTimer.stop();
    m_armed = control;
    m_said = text;
    Popup();
}

void CXBalloonTip::Popup() {
    if (!m_armed || !m_armed->isVisible()) {
        return;
    }
    const bool said = !m_said.isEmpty();
    m_text = said ? m_said : ToolText(m_armed);
    m_said.clear();
    if (m_text.isEmpty()) {
        return;
    }
    const QRect textRect = fontMetrics().boundingRect(QRect(0, 0, m_maxWidth - 2 * kPadding, 10000),
                                                      Qt::TextWordWrap | Qt::AlignLeft, m_text);
    resize(textRect.width() + 2 * kPadding, textRect.height() + 2 * kPadding + kStem);
    setMask(QRegion(BalloonPath(size()).toFillPolygon().toPolygon()));
    // Below the mouse, moved as far as needed to stand wholly on the screen.
    QPoint place = said ? m_armed->mapToGlobal(QPoint(0, m_armed->height())) : QCursor::pos() + QPoint(-16, 18);
    if (const QScreen* screen = QGuiApplication::screenAt(place)) {
        const QRect area = screen->availableGeometry();
        if (place.y() + height() > area.bottom() + 1) {
            place.setY(QCursor::pos().y() - height() - 4);
        }
        place.setX(std::clamp(place.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
        place.setY(std::clamp(place.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    }
    move(place);
    show();
    raise();
    m_hideTimer.start(m_displayTime);
    if (said) {
        setAccessibleName(m_text);
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void CXBalloonTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPainterPath path = BalloonPath(size());
    p.fillRect(rect(), QColor(255, 255, 225));
    p.setPen(QColor(118, 118, 118));
    p.setBrush(QColor(255, 255, 225));
    p.drawPath(path);
    p.setPen(QColor(0, 0, 0));
    p.drawText(rect().adjusted(kPadding, kStem + kPadding, -kPadding, -kPadding), Qt::TextWordWrap | Qt::AlignLeft,
               m_text);
}
