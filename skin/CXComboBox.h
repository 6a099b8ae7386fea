#pragma once

#include <QComboBox>

// A drop-down list with a flat two-tone frame and an arrow drawn from the program's bitmap; its list drops
// down as wide as its widest choice.
class CXComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CXComboBox(QWidget* parent = nullptr);

    static inline const QColor kOuterFrame{179, 203, 219};

    // The width the list drops down with: widest choice + scroll bar + the width of "0".
    int DroppedWidth() const;

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
