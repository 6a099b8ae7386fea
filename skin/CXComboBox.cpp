#include "skin/CXComboBox.h"

#include "skin/SkinBitmaps.h"
#include "skin/SkinResources.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyle>

CXComboBox::CXComboBox(QWidget* parent) : QComboBox(parent) {}

int CXComboBox::DroppedWidth() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    }
    return widest + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
           metrics.horizontalAdvance(QLatin1Char('0'));
}

void CXComboBox::showPopup() {
    QComboBox::showPopup();
    // The list drops down exactly as wide as its widest choice needs, but never narrower than the box.
    QWidget* popup = view()->window();
    if (popup != window()) {
        const int frame = popup->width() - view()->width();
        popup->resize(std::max(width(), DroppedWidth() + frame), popup->height());
    }
}

void CXComboBox::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
    QPainter p(this);
    QRect r = rect();
    p.setPen(kOuterFrame);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
    p.setPen(Qt::white);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
    const QPixmap arrow = LoadResourceBitmap(ClientBitmap::kComboArrow);
    if (arrow.isNull()) {
        return;
    }
    // All rows but the last, even where the box is too low for them and they cover the frame.
    p.drawPixmap(QPoint(r.right() + 1 - arrow.width(), r.top()), arrow, QRect(0, 0, arrow.width(), arrow.height() - 1));
}
