#include "skin/SkinSurface.h"

#include "skin/CXBalloonTip.h"
#include "skin/CXSkinText.h"
#include "skin/SkinAccessibility.h"
#include "skin/SkinResources.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

template <class Base> SkinSurface<Base>::SkinSurface(QWidget* parent) : Base(parent) {
    InstallSkinAccessibility();
}

template <class Base> SkinSurface<Base>::~SkinSurface() = default;

template <class Base> int SkinSurface<Base>::SetBackground(const QPixmap* bitmap) {
    this->clearMask();
    m_background = nullptr;
    if (bitmap != &m_ownBackground) {
        m_ownBackground = QPixmap();
    }
    if (!bitmap) {
        this->update();
        return 0;
    }
    if (bitmap->isNull()) {
        return 1;
    }
    m_background = bitmap;
    this->update();
    return 0;
}

template <class Base> int SkinSurface<Base>::SetBackground(int resourceId) {
    m_ownBackground = LoadResourceBitmap(resourceId);
    return SetBackground(&m_ownBackground);
}

template <class Base> void SkinSurface<Base>::CentreOn(const QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // On the screen, the part that panels leave free, so no window starts under a panel.
    const QRect around =
        window ? window->frameGeometry() : (screen ? screen->availableGeometry() : QRect(QPoint(), this->size()));
    this->move(around.x() + around.width() / 2 - this->width() / 2,
               around.y() + around.height() / 2 - this->height() / 2);
}

template <class Base>
void SkinSurface<Base>::SetRoundRegion(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, right - left, bottom - top), cornerWidth / 2.0, cornerHeight / 2.0);
    this->setMask(QRegion(path.toFillPolygon().toPolygon()));
    this->update();
}

template <class Base> void SkinSurface<Base>::SetControlBackgroundColor(const QColor& colour) {
    if (!m_paletteBeforeColour) {
        m_paletteBeforeColour = std::make_unique<QPalette>(this->palette());
    }
    m_controlColour = colour;
    QPalette pal = *m_paletteBeforeColour;
    if (colour.isValid()) {
        pal.setColor(QPalette::Window, colour);
        pal.setColor(QPalette::Base, colour);
    }
    this->setPalette(pal);
}

template <class Base> int SkinSurface<Base>::DrawBackground(QPainter& painter) {
    // Widgets paint into the window's back buffer, which reaches the screen in one step: no copy of our own is
    // needed to keep a half-drawn background off the screen.
    painter.fillRect(this->rect(), this->palette().brush(QPalette::Window));
    if (m_background) {
        const int w = m_background->width();
        const int h = m_background->height();
        for (int y = 0; y < this->height(); y += h) {
            for (int x = 0; x < this->width(); x += w) {
                painter.drawPixmap(x, y, *m_background);
            }
        }
    }
    DrawOverBackground(painter);
    return 1;
}

template <class Base> void SkinSurface<Base>::DrawOverBackground(QPainter&) {}

template <class Base> void SkinSurface<Base>::InitToolTips() {
    m_toolTip = std::make_unique<CXBalloonTip>();
    m_toolTip->SetInitialDelay(100);
    m_toolTip->SetDisplayTime(20000);
    QFont font(QStringLiteral("돋움"));
    font.setPointSize(16);
    m_toolTip->SetTipFont(font);
    m_toolTip->SetMaxTipWidth(400);
    this->setMouseTracking(true);
    this->installEventFilter(this);
}

template <class Base> void SkinSurface<Base>::AddToolTip(QWidget* control, const QString& text) {
    if (!m_toolTip || !control) {
        return;
    }
    m_toolTip->AddTool(control, text);
    // The tip a mouse user rests on is what a screen reader reads after the name.
    control->setAccessibleDescription(text);
    control->installEventFilter(this);
    control->setAttribute(Qt::WA_MouseTracking, true);
}

template <class Base> void SkinSurface<Base>::SayInBalloon(QWidget* control, const QString& text) {
    if (!m_toolTip) {
        InitToolTips();
    }
    m_toolTip->Say(control, text);
}

template <class Base> void SkinSurface<Base>::Announce(const QString& text) {
    if (!m_status) {
        m_status = CXSkinText::StatusLine(this);
        m_status->show();
    }
    m_status->setText(text);
    QAccessibleEvent changed(m_status, QAccessible::NameChanged); // its name is the text it holds
    QAccessible::updateAccessibility(&changed);
}

template <class Base> QString SkinSurface<Base>::Announced() const {
    return m_status ? m_status->text() : QString();
}

template <class Base> bool SkinSurface<Base>::eventFilter(QObject* watched, QEvent* event) {
    if (m_toolTip) {
        m_toolTip->Relay(watched, event);
    }
    return Base::eventFilter(watched, event);
}

template <class Base> bool SkinSurface<Base>::event(QEvent* event) {
    if (event->type() == QEvent::Hide && m_toolTip) {
        m_toolTip->hide();
    }
    // A window that goes hands the keyboard back to the window it came up over, so that the focus never
    // falls out of the program (nor to whatever the desktop picks) when a dialog closes.
    if (event->type() == QEvent::Show && this->isWindow() && QApplication::activeWindow() != this) {
        m_returnTo = QApplication::activeWindow();
    }
    const bool handled = Base::event(event);
    if (event->type() == QEvent::Hide && this->isWindow() && m_returnTo && m_returnTo->isVisible()) {
        m_returnTo->activateWindow();
        m_returnTo = nullptr;
    }
    return handled;
}

template <class Base> void SkinSurface<Base>::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawBackground(painter);
}

template <class Base> void SkinSurface<Base>::mousePressEvent(QMouseEvent* event) {
    if (m_draggable && event->button() == Qt::LeftButton) {
        QWidget* top = this->window();
        // Where the desktop moves windows itself (Wayland), let it; elsewhere follow the mouse ourselves.
        if (top->windowHandle() && top->windowHandle()->startSystemMove()) {
            return;
        }
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - top->pos();
        event->accept();
        return;
    }
    Base::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        // A press on a page stays on the page: it must not drag the window the page sits in.
        event->accept();
    }
}

template <class Base> void SkinSurface<Base>::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        this->window()->move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    Base::mouseMoveEvent(event);
}

template <class Base> void SkinSurface<Base>::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    Base::mouseReleaseEvent(event);
}

template class SkinSurface<QWidget>;
template class SkinSurface<QDialog>;
