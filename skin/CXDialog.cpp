#include "skin/CXDialog.h"

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

CXDialog::CXDialog(QWidget* parent) : QDialog(parent) {
    InstallSkinAccessibility();
}

CXDialog::~CXDialog() = default;

int CXDialog::SetBackground(const QPixmap* bitmap) {
    clearMask();
    m_background = nullptr;
    if (bitmap != &m_ownBackground) {
        m_ownBackground = QPixmap();
    }
    if (!bitmap) {
        update();
        return 0;
    }
    if (bitmap->isNull()) {
        return 1;
    }
    m_background = bitmap;
    update();
    return 0;
}

int CXDialog::SetBackground(int resourceId) {
    m_ownBackground = LoadResourceBitmap(resourceId);
    return SetBackground(&m_ownBackground);
}

void CXDialog::CentreOn(const QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect around = window ? window->frameGeometry() : (screen ? screen->geometry() : QRect(QPoint(), size()));
    move(around.x() + around.width() / 2 - width() / 2, around.y() + around.height() / 2 - height() / 2);
}

void CXDialog::SetRoundRegion(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, right - left, bottom - top), cornerWidth / 2.0, cornerHeight / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
    update();
}

void CXDialog::SetControlBackgroundColor(const QColor& colour) {
    if (!m_paletteBeforeColour) {
        m_paletteBeforeColour = std::make_unique<QPalette>(palette());
    }
    m_controlColour = colour;
    QPalette pal = *m_paletteBeforeColour;
    if (colour.isValid()) {
        pal.setColor(QPalette::Window, colour);
        pal.setColor(QPalette::Base, colour);
    }
    setPalette(pal);
}

int CXDialog::DrawBackground(QPainter& painter) {
    // Widgets paint into the window's back buffer, which reaches the screen in one step: no copy of our own is
    // needed to keep a half-drawn background off the screen.
    painter.fillRect(rect(), palette().brush(QPalette::Window));
    if (m_background) {
        const int w = m_background->width();
        const int h = m_background->height();
        for (int y = 0; y < height(); y += h) {
            for (int x = 0; x < width(); x += w) {
                painter.drawPixmap(x, y, *m_background);
            }
        }
    }
    DrawOverBackground(painter);
    return 1;
}

void CXDialog::DrawOverBackground(QPainter&) {}

void CXDialog::InitToolTips() {
    m_toolTip = std::make_unique<CXBalloonTip>();
    m_toolTip->SetInitialDelay(100);
    m_toolTip->SetDisplayTime(20000);
    m_toolTipsEnabled = true;
    QFont font(QStringLiteral("돋움"));
    font.setPointSize(16);
    m_toolTip->SetTipFont(font);
    m_toolTip->SetMaxTipWidth(400);
    setMouseTracking(true);
    installEventFilter(this);
}

void CXDialog::AddToolTip(QWidget* control, const QString& text) {
    if (!m_toolTip || !control) {
        return;
    }
    m_toolTip->AddTool(control, text);
    // The tip a mouse user rests on is what a screen reader reads after the name.
    control->setAccessibleDescription(text);
    control->installEventFilter(this);
    control->setAttribute(Qt::WA_MouseTracking, true);
}

void CXDialog::Announce(const QString& text) {
    if (!m_status) {
        m_status = new CXSkinText(this, QString(), QRect(0, 0, 1, 1));
        m_status->setObjectName(QStringLiteral("liveStatus"));
        m_status->setAccessibleName(QStringLiteral("상태"));
        m_status->SetLive(true);
        m_status->show();
    }
    m_status->setText(text);
    QAccessibleEvent changed(m_status, QAccessible::NameChanged); // its name is the text it holds
    QAccessible::updateAccessibility(&changed);
}

QString CXDialog::Announced() const {
    return m_status ? m_status->text() : QString();
}

bool CXDialog::eventFilter(QObject* watched, QEvent* event) {
    if (m_toolTipsEnabled && m_toolTip) {
        m_toolTip->Relay(watched, event);
    }
    return QDialog::eventFilter(watched, event);
}

bool CXDialog::event(QEvent* event) {
    if (event->type() == QEvent::Hide && m_toolTip) {
        m_toolTip->hide();
    }
    // A window that goes hands the keyboard back to the window it came up over, so that the focus never
    // falls out of the program (nor to whatever the desktop picks) when a dialog closes.
    if (event->type() == QEvent::Show && isWindow() && QApplication::activeWindow() != this) {
        m_returnTo = QApplication::activeWindow();
    }
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::Hide && isWindow() && m_returnTo && m_returnTo->isVisible()) {
        m_returnTo->activateWindow();
        m_returnTo = nullptr;
    }
    return handled;
}

void CXDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawBackground(painter);
}

void CXDialog::mousePressEvent(QMouseEvent* event) {
    if (m_draggable && event->button() == Qt::LeftButton) {
        QWidget* top = window();
        // Where the desktop moves windows itself (Wayland), let it; elsewhere follow the mouse ourselves.
        if (top->windowHandle() && top->windowHandle()->startSystemMove()) {
            return;
        }
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - top->pos();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        // A press on a page stays on the page: it must not drag the window the page sits in.
        event->accept();
    }
}

void CXDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CXDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
