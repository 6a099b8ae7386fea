#pragma once

#include <QLabel>

// Words a skinned window shows as part of its background picture: the label paints nothing (the picture
// already shows the words) but tells them to a screen reader, in place, and names the field it is tied to.
// A live one is the window's status line: each new text is announced.
class CXSkinText : public QLabel {
    Q_OBJECT
public:
    // With a field, the words are its label and are read just before it.
    CXSkinText(QWidget* parent, const QString& words, const QRect& where, QWidget* field = nullptr);

    // Read just before `control` (a heading before the first control under it).
    CXSkinText* ReadBefore(QWidget* control);

    // The window's status line, live from its first moment: a screen reader that meets it then already hears
    // it as one, and keeps doing so. Its name is the text it holds.
    static CXSkinText* StatusLine(QWidget* parent);
    bool IsLive() const { return m_live; }

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    explicit CXSkinText(QWidget* parent);

    bool m_live = false;
};
