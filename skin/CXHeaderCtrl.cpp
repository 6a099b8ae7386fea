#include "skin/CXHeaderCtrl.h"

#include <QPainter>

CXHeaderCtrl::CXHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setMinimumSectionSize(0);
    setSectionsClickable(false);
    setHighlightSections(false);
}

void CXHeaderCtrl::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRect client = viewport()->rect();
    p.fillRect(client, kBackground);
    p.setFont(font());
    p.setPen(kLine);
    const QFontMetrics metrics(font());
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical)) {
            continue;
        }
        const QRect section(sectionViewportPosition(logical), 0, sectionSize(logical), client.height());
        if (section.width() <= 0) {
            continue;
        }
        const QString text = model() ? model()->headerData(logical, orientation()).toString() : QString();
        if (!text.isEmpty()) {
            p.setPen(kText);
            p.drawText(section, Qt::AlignCenter | Qt::TextSingleLine,
                       metrics.elidedText(text, Qt::ElideRight, section.width()));
        }
        p.setPen(kLine);
        p.drawLine(section.right(), section.top(), section.right(), section.bottom());
    }
    p.setPen(kLine);
    p.drawLine(client.left(), client.bottom(), client.right(), client.bottom());
}

void CXHeaderCtrl::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    viewport()->update();
}

void CXHeaderCtrl::moveEvent(QMoveEvent* event) {
    QHeaderView::moveEvent(event);
    viewport()->update();
}
