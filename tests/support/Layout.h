#pragma once

#include "skin/CXSkinText.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Layout checks by relation: they fail on what a user would see go wrong (a control cut off by its window, two
// controls on top of each other, a control beside the field painted for it, a caption cut short), and not when
// a control merely moves.

inline std::string NameOf(const QWidget& widget) {
    return widget.objectName().toStdString();
}

// Every shown control of `window` lies wholly inside it, and no two of them overlap. The words of the painted
// background that are there for screen readers only (CXSkinText) paint nothing and are left out.
inline void ExpectInsideAndApart(const QWidget& window) {
    std::vector<const QWidget*> shown;
    for (const QWidget* control : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isVisible() && !control->isWindow() && !qobject_cast<const CXSkinText*>(control)) {
            shown.push_back(control);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(window.rect().contains(shown[i]->geometry())) << NameOf(*shown[i]) << " leaves its window";
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << NameOf(*shown[i]) << " overlaps " << NameOf(*shown[j]);
        }
    }
}

// `control` stands on a field of `art`, the background painted for its window: nothing but the field's colour
// under it, and the field's edge within `reach` pixels on every side.
inline void ExpectOnPaintedField(const QPixmap& art, const QWidget& control, const QColor& field, int reach = 6) {
    const QImage image = art.toImage().convertToFormat(QImage::Format_RGB32);
    const QRect r = control.geometry();
    ASSERT_TRUE(image.rect().contains(r)) << NameOf(control) << " lies outside its painted window";
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (QColor(image.pixel(x, y)) != field) {
                ADD_FAILURE() << NameOf(control) << " covers painted art at " << x << "," << y;
                return;
            }
        }
    }
    const QPoint middle = r.center();
    const struct {
        QPoint from;
        QPoint step;
        const char* side;
    } walks[] = {{{r.left(), middle.y()}, {-1, 0}, "left"},
                 {{r.right(), middle.y()}, {1, 0}, "right"},
                 {{middle.x(), r.top()}, {0, -1}, "top"},
                 {{middle.x(), r.bottom()}, {0, 1}, "bottom"}};
    for (const auto& walk : walks) {
        QPoint at = walk.from;
        bool edged = false;
        for (int i = 0; i < reach && !edged && image.rect().contains(at + walk.step); ++i) {
            at += walk.step;
            edged = QColor(image.pixel(at)) != field;
        }
        EXPECT_TRUE(edged) << NameOf(control) << " has no edge of its field on its " << walk.side;
    }
}
