#include "skin/CXBalloonTip.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

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

// Where the user may type or choose next: every visible field of the window that takes input.
std::vector<QRect> InputsOf(const QWidget* window) {
    std::vector<QRect> inputs;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        bool input = false;
        if (const auto* line = qobject_cast<const QLineEdit*>(w)) {
            input = !line->isReadOnly();
        } else if (const auto* text = qobject_cast<const QTextEdit*>(w)) {
            input = !text->isReadOnly();
        } else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) {
            input = !plain->isReadOnly();
        } else {
            input = qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
        }
        if (input && w->isVisible() && w->isEnabled()) {
            inputs.emplace_back(w->mapToGlobal(QPoint(0, 0)), w->size());
        }
    }
    return inputs;
}

// The place nearest to `preferred` where a balloon of `size` stands on `area` and covers none of `inputs`, the
// control it explains included: a tip must never hide the field being typed in or the next one. The candidates
// lie along the edges of the fields; when none is free, `preferred` moved onto the area (typing takes it down).
QPoint FreePlace(const QPoint& preferred, const QSize& size, const QRect& area, const std::vector<QRect>& inputs) {
    std::vector<int> xs{preferred.x()};
    std::vector<int> ys{preferred.y()};
    for (const QRect& r : inputs) {
        xs.insert(xs.end(), {r.right() + 4, r.left() - size.width() - 4, r.left()});
        ys.insert(ys.end(), {r.bottom() + 4, r.top() - size.height() - 4});
    }
    const auto onArea = [&](int x, int y) {
        if (area.isValid()) {
            x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
            y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
        }
        return QPoint(x, y);
    };
    QPoint best = onArea(preferred.x(), preferred.y());
    long long bestDistance = std::numeric_limits<long long>::max();
    for (int x : xs) {
        for (int y : ys) {
            const QRect place(onArea(x, y), size);
            if (std::any_of(inputs.begin(), inputs.end(), [&](const QRect& r) { return r.intersects(place); })) {
                continue;
            }
            const long long dx = place.x() - preferred.x();
            const long long dy = place.y() - preferred.y();
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = place.topLeft();
            }
        }
    }
    return best;
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
    case QEvent::KeyPress: // typing has begun: the tip has been read, or is not wanted
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
    PopupAt(control->mapToGlobal(QPoint(16, control->height())));
}

void CXBalloonTip::ShowFor(QWidget* control, const QPoint& at) {
    m_showTimer.stop();
    m_armed = control;
    PopupAt(at);
}

QPixmap CXBalloonTip::GrabOver(QWidget* window) {
    const QRect windowRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QRect whole = isVisible() ? windowRect.united(geometry()) : windowRect;
    QPixmap shot(whole.size());
    shot.fill(Qt::white);
    QPainter p(&shot);
    p.drawPixmap(windowRect.topLeft() - whole.topLeft(), window->grab());
    if (isVisible()) {
        const QPoint at = pos() - whole.topLeft();
        p.setClipRegion(mask().translated(at));
        p.drawPixmap(at, grab());
    }
    return shot;
}

void CXBalloonTip::Popup() {
    PopupAt(QCursor::pos());
}

void CXBalloonTip::PopupAt(const QPoint& mouse) {
    // A warning is for this showing only, shown or not: it never comes back as a later control's tip.
    const QString warning = std::exchange(m_said, QString());
    if (!m_armed || !m_armed->isVisible()) {
        return;
    }
    const bool said = !warning.isEmpty();
    m_text = said ? warning : ToolText(m_armed);
    if (m_text.isEmpty()) {
        return;
    }
    const QRect textRect = fontMetrics().boundingRect(QRect(0, 0, m_maxWidth - 2 * kPadding, 10000),
                                                      Qt::TextWordWrap | Qt::AlignLeft, m_text);
    resize(textRect.width() + 2 * kPadding, textRect.height() + 2 * kPadding + kStem);
    setMask(QRegion(BalloonPath(size()).toFillPolygon().toPolygon()));
    // Below the mouse, or as near to that as it stands wholly on the screen and clear of every field.
    QRect area;
    if (const QScreen* screen = QGuiApplication::screenAt(mouse)) {
        area = screen->availableGeometry();
    }
    move(FreePlace(mouse + QPoint(-16, 18), size(), area, InputsOf(m_armed->window())));
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
