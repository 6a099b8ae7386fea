#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <algorithm>
#include <array>
#include <string>

class SkinCatalogue;

// The push button of every window: drawn from up to three bitmaps (first: hover, pressed or focused;
// second: normal; third: selected), with the window showing through the transparent colour, a hover image
// that follows the mouse, and an optional caption in a font and colours of its own. The button keeps its own
// shared copy of each bitmap handed over (Qt shares the pixels, nothing is duplicated) and never changes it,
// so the bitmap may go away after the call.
class CXButton : public QPushButton {
    Q_OBJECT
public:
    static inline const QColor kMagenta{255, 0, 255};

    explicit CXButton(QWidget* parent = nullptr);
    ~CXButton() override;

    // 1 on success, 0 on failure (then the button holds no image). A missing bitmap ends the list.
    int SetBitmaps(const QPixmap* first, const QColor& firstTransparent = kMagenta, const QPixmap* second = nullptr,
                   const QColor& secondTransparent = kMagenta, const QPixmap* third = nullptr,
                   const QColor& thirdTransparent = kMagenta);
    // The same with bitmaps built into the program; 0 as an identifier means none.
    int SetBitmaps(int firstId, const QColor& firstTransparent, int secondId = 0,
                   const QColor& secondTransparent = kMagenta, int thirdId = 0,
                   const QColor& thirdTransparent = kMagenta);
    int ImageCount() const { return m_imageCount; }

    // Resizes the button to its first image, without moving it.
    void SizeToContent();

    int SetTextFont(bool alwaysBottom, int pointSize, bool bold, const QString& faceName);

    // A page's tab: placed at x, y, images from the catalogue (magenta transparent), sized to its first image
    // (0 x 0 when that is missing), caption 18-point bold "돋움".
    static void SetupTabButton(SkinCatalogue& catalogue, CXButton& button, int x, int y, const std::string& first,
                               const std::string& second, const std::string& third);

    void SetNormalTextColor(const QColor& colour) { m_normalColour = colour; }
    void SetHoverTextColor(const QColor& colour) { m_hoverColour = colour; }
    void SetSelectedTextColor(const QColor& colour) { m_selectedColour = colour; }
    void SetBottomCaption(bool bottom) { m_bottomCaption = bottom; }
    // A selected button is checked: a tab that chooses tells a screen reader which one is chosen. The page
    // decides the choice; a click alone never checks or unchecks.
    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }
    bool IsHovered() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void nextCheckState() override {}

private:
    struct Slot {
        QPixmap image;   // the bitmap itself, shared with its other users, never changed
        QRegion visible; // where it is not of its transparent colour
        QColor transparent;
        QColor ring; // the focus ring's colour over this image
    };

    void Release();
    void SetHover(bool hover);
    int ChosenSlot() const;
    // The keyboard focus ring runs just inside the button's edge, over its own picture: black or white, whichever
    // stands out more from the picture's pixels on both sides of it.
    static QColor RingColourFor(const QImage& image, const QColor& transparent);

public:
    // Where the ring runs: 3 pixels in and 2 wide; on a button too small for that, 2 pixels in and 1 wide.
    static int RingInset(const QSize& size) { return std::min(size.width(), size.height()) < 30 ? 2 : 3; }
    static int RingWidth(const QSize& size) { return std::min(size.width(), size.height()) < 30 ? 1 : 2; }
    // Focus looks lit only when it came from the keyboard or the program, not from a click: a clicked button
    // the mouse has left must not look like the one under the mouse.
    bool FocusShown() const { return m_focusShown && hasFocus(); }

private:
    std::array<Slot, 3> m_slots;
    int m_imageCount = 0;
    bool m_hover = false;
    bool m_focusLostByDisabling = false;
    bool m_focusShown = false;
    bool m_selected = false;
    bool m_bottomCaption = false;
    bool m_alwaysBottom = false;
    QString m_faceName;
    int m_pointSize = 10;
    bool m_bold = false;
    QColor m_normalColour;
    QColor m_hoverColour;
    QColor m_selectedColour;
};
