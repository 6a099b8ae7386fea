#include "skin/CXButton.h"

#include "skin/CXMemDC.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinResources.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

CXButton::CXButton(QWidget* parent) : QPushButton(parent) {
    const QColor text = palette().color(QPalette::ButtonText);
    m_normalColour = text;
    m_hoverColour = text;
    m_selectedColour = text;
    setMouseTracking(true);
    setFlat(true);
}

CXButton::~CXButton() = default;

void CXButton::Release() {
    for (Slot& slot : m_slots) {
        slot = Slot{};
    }
    m_imageCount = 0;
}

int CXButton::SetBitmaps(const QPixmap* first, const QColor& firstTransparent, const QPixmap* second,
                         const QColor& secondTransparent, const QPixmap* third, const QColor& thirdTransparent) {
    Release();
    const QPixmap* bitmaps[3] = {first, second, third};
    const QColor* colours[3] = {&firstTransparent, &secondTransparent, &thirdTransparent};
    for (int i = 0; i < 3 && bitmaps[i]; ++i) {
        if (bitmaps[i]->isNull()) {
            Release();
            update();
            return 0;
        }
        // The shared bitmap is painted through the region of its other pixels, so its transparent pixels show
        // the window and stay as they are for every other button that holds it; no copy of it is made.
        Slot& slot = m_slots[static_cast<std::size_t>(i)];
        slot.transparent = *colours[i];
        slot.image = *bitmaps[i];
        slot.visible = QRegion(bitmaps[i]->createMaskFromColor(slot.transparent, Qt::MaskInColor));
        slot.ring = RingColourFor(bitmaps[i]->toImage(), slot.transparent);
        ++m_imageCount;
    }
    if (m_imageCount == 0) {
        update();
        return 0;
    }
    update();
    return 1;
}

int CXButton::SetBitmaps(int firstId, const QColor& firstTransparent, int secondId, const QColor& secondTransparent,
                         int thirdId, const QColor& thirdTransparent) {
    const QPixmap first = LoadResourceBitmap(firstId);
    const QPixmap second = LoadResourceBitmap(secondId);
    const QPixmap third = LoadResourceBitmap(thirdId);
    return SetBitmaps(first.isNull() ? nullptr : &first, firstTransparent, second.isNull() ? nullptr : &second,
                      secondTransparent, third.isNull() ? nullptr : &third, thirdTransparent);
}

void CXButton::SizeToContent() {
    if (m_imageCount > 0) {
        resize(m_slots[0].image.size());
    }
}

int CXButton::SetTextFont(bool alwaysBottom, int pointSize, bool bold, const QString& faceName) {
    m_alwaysBottom = alwaysBottom;
    m_pointSize = pointSize;
    m_bold = bold;
    m_faceName = faceName;
    update();
    return 1;
}

void CXButton::SetupTabButton(SkinCatalogue& catalogue, CXButton& button, int x, int y, const std::string& first,
                              const std::string& second, const std::string& third) {
    button.setGeometry(x, y, 0, 0);
    const QPixmap* hover = catalogue.GetImage(first);
    const QPixmap* normal = catalogue.GetImage(second);
    const QPixmap* selected = catalogue.GetImage(third);
    button.SetBitmaps(hover, kMagenta, normal, kMagenta, selected, kMagenta);
    button.SizeToContent();
    button.SetTextFont(false, 18, true, QStringLiteral("돋움"));
}

void CXButton::SetSelected(bool selected) {
    m_selected = selected;
    setCheckable(true);
    setChecked(selected);
    update();
}

namespace {

double Luminance(QRgb pixel) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace

QColor CXButton::RingColourFor(const QImage& image, const QColor& transparent) {
    // The neighbours: the picture's pixels along the edge, from just outside the ring to just inside it.
    double worstForBlack = 21;
    double worstForWhite = 21;
    const auto take = [&](int x, int y) {
        if (!image.rect().contains(x, y) || QColor(image.pixel(x, y)).rgb() == transparent.rgb()) {
            return;
        }
        const double luminance = Luminance(image.pixel(x, y));
        worstForBlack = std::min(worstForBlack, Contrast(luminance, 0));
        worstForWhite = std::min(worstForWhite, Contrast(luminance, 1));
    };
    const int ringInset = RingInset(image.size());
    for (int inset = ringInset - 1; inset <= ringInset + RingWidth(image.size()); ++inset) {
        const QRect band = image.rect().adjusted(inset, inset, -inset, -inset);
        for (int x = band.left(); x <= band.right(); ++x) {
            take(x, band.top());
            take(x, band.bottom());
        }
        for (int y = band.top(); y <= band.bottom(); ++y) {
            take(band.left(), y);
            take(band.right(), y);
        }
    }
    return worstForBlack >= worstForWhite ? QColor(Qt::black) : QColor(Qt::white);
}

void CXButton::SetHover(bool hover) {
    if (m_hover != hover) {
        m_hover = hover;
        update();
    }
}

int CXButton::ChosenSlot() const {
    const bool hasThird = m_imageCount >= 3;
    int slot = 1;
    if (!isEnabled()) {
        slot = hasThird ? 0 : 1;
    }
    if (isDown() || m_hover || FocusShown()) {
        slot = 0;
    }
    if (m_selected) {
        slot = hasThird ? 2 : 0;
    }
    return slot;
}

void CXButton::paintEvent(QPaintEvent*) {
    QPainter target(this);
    CXMemDC mem(target);
    QPainter& dc = mem.Painter();
    const bool pressed = isDown();
    const QRect item = rect();

    if (m_imageCount > 0) {
        const int slot = ChosenSlot();
        if (slot < m_imageCount) {
            // The parent's pixels are already under us; the region leaves them where the image is transparent.
            const Slot& chosen = m_slots[static_cast<std::size_t>(slot)];
            const QPoint at = item.topLeft() + (pressed ? QPoint(1, 1) : QPoint());
            dc.save();
            dc.setClipRegion(chosen.visible.translated(at), Qt::IntersectClip);
            dc.drawPixmap(at, chosen.image);
            dc.restore();
            if (FocusShown()) {
                const int width = RingWidth(item.size());
                // The pen's middle line; Qt draws an odd-width line just right of and below it.
                const int middle = RingInset(item.size()) + width / 2;
                const int radius = std::max(0, std::min(12, item.height() / 3) - middle);
                dc.save();
                dc.setRenderHint(QPainter::Antialiasing, false);
                dc.setPen(QPen(chosen.ring, width));
                dc.setBrush(Qt::NoBrush);
                const int odd = width % 2;
                dc.drawRoundedRect(QRectF(item.left() + middle, item.top() + middle, item.width() - 2 * middle - odd,
                                          item.height() - 2 * middle - odd),
                                   radius, radius);
                dc.restore();
            }
        }
    }

    const QString caption = text();
    if (caption.isEmpty()) {
        return;
    }
    QFont font = m_faceName.isEmpty() ? this->font() : QFont(m_faceName);
    font.setPointSize(m_pointSize);
    font.setWeight(m_bold ? QFont::Bold : QFont::Normal);
    dc.setFont(font);
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
    const QRect measured = dc.boundingRect(QRect(item.left(), item.top(), item.width(), item.height()), flags, caption);
    const int textHeight = measured.height();
    const bool bottom = m_alwaysBottom || (m_bottomCaption && !m_selected);
    const int top =
        bottom ? item.bottom() + 1 - item.height() / 20 - textHeight : item.top() + (item.height() - textHeight) / 2;
    QRect place(item.left(), top, item.width(), textHeight);

    if (!isEnabled()) {
        dc.setPen(palette().color(QPalette::Light));
        dc.drawText(place.translated(1, 1), flags, caption);
        dc.setPen(palette().color(QPalette::Dark));
        dc.drawText(place, flags, caption);
        return;
    }
    QColor colour = m_normalColour;
    if (m_selected) {
        colour = m_selectedColour;
    } else if (pressed || m_hover || FocusShown()) {
        colour = m_hoverColour;
    }
    if (pressed) {
        place.translate(1, 1);
    }
    dc.setPen(colour);
    dc.drawText(place, flags, caption);
}

void CXButton::enterEvent(QEnterEvent* event) {
    // Hover does not start while the left button is held from elsewhere (a drag passing over).
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || m_hover) {
        SetHover(true);
    }
    QPushButton::enterEvent(event);
}

void CXButton::leaveEvent(QEvent* event) {
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CXButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (!(event->buttons() & Qt::LeftButton) || m_hover) {
        SetHover(inside);
    }
    QPushButton::mouseMoveEvent(event);
}

void CXButton::focusInEvent(QFocusEvent* event) {
    m_focusShown = event->reason() != Qt::MouseFocusReason;
    QPushButton::focusInEvent(event);
}

void CXButton::mousePressEvent(QMouseEvent* event) {
    m_focusShown = false;
    QPushButton::mousePressEvent(event);
}

void CXButton::focusOutEvent(QFocusEvent* event) {
    m_focusLostByDisabling = !isEnabled();
    SetHover(false);
    QPushButton::focusOutEvent(event);
}

void CXButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        SetHover(false);
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // Qt has already moved the focus on, but through the whole window: keep it on the next tab stop among
        // the parent's controls (a page's, not the main window's), and with none there, on the parent.
        QWidget* parent = parentWidget();
        QWidget* now = window()->focusWidget();
        if (m_focusLostByDisabling && parent && (!now || !parent->isAncestorOf(now))) {
            QWidget* next = nextInFocusChain();
            while (next != this && !(parent->isAncestorOf(next) && next->isEnabled() && next->isVisibleTo(parent) &&
                                     (next->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)) {
                next = next->nextInFocusChain();
            }
            (next != this ? next : parent)->setFocus(Qt::TabFocusReason);
        }
        m_focusLostByDisabling = false;
        SetHover(false);
    }
    QPushButton::changeEvent(event);
}
