#pragma once

#include <QColor>
#include <QHeaderView>

// A flat, light-blue column header: texts centred on one line (cut with an ellipsis), a thin line after every
// column and along the bottom.
class CXHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CXHeaderCtrl(QWidget* parent = nullptr);

    static inline const QColor kBackground{222, 239, 255};
    static inline const QColor kText{0, 0, 0};
    static inline const QColor kLine{181, 206, 222};

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
};
