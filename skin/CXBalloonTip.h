#pragma once

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <map>

// The balloon-shaped tool tip of a skinned dialog: shows the text of the control under the mouse after a
// short rest, keeps it up for a while, and wraps long texts at a fixed width.
class CXBalloonTip : public QWidget {
    Q_OBJECT
public:
    CXBalloonTip();

    void SetInitialDelay(int ms) { m_initialDelay = ms; }
    void SetDisplayTime(int ms) { m_displayTime = ms; }
    void SetMaxTipWidth(int px) { m_maxWidth = px; }
    void SetTipFont(const QFont& font);
    int InitialDelay() const { return m_initialDelay; }
    int DisplayTime() const { return m_displayTime; }
    int MaxTipWidth() const { return m_maxWidth; }

    void AddTool(QWidget* control, const QString& text);
    QString ToolText(const QWidget* control) const;
    QString ShownText() const { return m_text; }

    // Mouse traffic of the dialog and its controls: a move over a control with a tip arms the tip, anything
    // else under the mouse or a click takes it down.
    void Relay(QObject* target, QEvent* event);
    // Shows the tip of `control` at once, as though the mouse rested at `at` (global): for pictures of the
    // windows.
    void ShowFor(QWidget* control, const QPoint& at);
    // A picture of `window` with the tip, when it is up, where it stands, wholly, beside or over it.
    QPixmap GrabOver(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Popup();
    void PopupAt(const QPoint& mouse);
    // The control with a tip under the mouse for this event, or null.
    const QWidget* ToolUnder(QObject* target, QEvent* event) const;

    std::map<const QWidget*, QString> m_tools;
    QPointer<QWidget> m_armed;
    QString m_text;
    QTimer m_showTimer;
    QTimer m_hideTimer;
    int m_initialDelay = 100;
    int m_displayTime = 20000;
    int m_maxWidth = 400;
};
