#pragma once

#include <QColor>
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>

class CXBalloonTip;
class CXSkinText;

// What every skinned surface of both programs does, a window or a page of one: it is drawn from a tiled
// background bitmap instead of the system's look, optionally rounded, draggable by its body, with a common
// control background colour, balloon tool tips and a live status line for a screen reader. `Base` is what
// the surface is to Qt: QDialog for a window (CXDialog), QWidget for a page inside one (CXSkinWidget). A
// background handed over by pointer is the skin catalogue's, which outlives every surface.
template <class Base> class SkinSurface : public Base {
public:
    explicit SkinSurface(QWidget* parent = nullptr);
    ~SkinSurface() override;
    SkinSurface(const SkinSurface&) = delete;
    SkinSurface& operator=(const SkinSurface&) = delete;

    // 0 on success, 1 when the bitmap is unreadable (then there is no background). Null means no background.
    // Any rounded region is dropped first.
    int SetBackground(const QPixmap* bitmap);
    // The same with a bitmap built into the program.
    int SetBackground(int resourceId);
    const QPixmap* Background() const { return m_background; }

    // Places the window, at its present size, centred on `window`, or on the screen when there is none.
    void CentreOn(const QWidget* window);

    // Shapes the window as a rounded rectangle (corner ellipse cornerWidth x cornerHeight).
    void SetRoundRegion(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    bool HasRegion() const { return !this->mask().isEmpty(); }

    // With true, pressing the left button on the surface itself moves its window with the mouse.
    void SetDraggable(bool draggable) { m_draggable = draggable; }
    bool IsDraggable() const { return m_draggable; }

    // One background colour for every control on the surface; an invalid colour switches it off.
    void SetControlBackgroundColor(const QColor& colour);
    QColor ControlBackgroundColor() const { return m_controlColour; }

    // Paints the background (tiled from the top-left corner, never stretched) and what the page draws over
    // it, into the window's back buffer, which reaches the screen in one step. Returns 1.
    int DrawBackground(QPainter& painter);
    virtual void DrawOverBackground(QPainter& painter);

    // Balloon tips: 100 ms until shown, 20 s shown, at most 400 pixels wide, 16-point "돋움".
    void InitToolTips();
    void AddToolTip(QWidget* control, const QString& text);
    bool ToolTipsEnabled() const { return m_toolTip != nullptr; }
    CXBalloonTip* ToolTip() const { return m_toolTip.get(); }
    // Shows `text` in the balloon at `control` now, as a warning about it; the tips are made when first needed.
    void SayInBalloon(QWidget* control, const QString& text);

    // A window that tells the user something at once (a message box) is an alert to a screen reader.
    void SetAlert(bool alert) { m_alert = alert; }
    bool IsAlert() const { return m_alert; }
    // Tells a screen reader of a change the user must know of (sending, results found, progress), through the
    // window's live status line.
    void Announce(const QString& text);
    QString Announced() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    const QPixmap* m_background = nullptr;
    QPixmap m_ownBackground;
    bool m_draggable = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QColor m_controlColour;
    std::unique_ptr<QPalette> m_paletteBeforeColour;
    std::unique_ptr<CXBalloonTip> m_toolTip;
    bool m_alert = false;
    CXSkinText* m_status = nullptr;
    QPointer<QWidget> m_returnTo; // the window that was active when this one came up
};

extern template class SkinSurface<QWidget>;
extern template class SkinSurface<QDialog>;
