#pragma once

#include <QColor>
#include <QLineEdit>
#include <string>

// A single-line text field that sits on a skinned background: transparent unless given a background colour,
// with its own text colour. It refuses characters the core cannot store (outside CP949) and limits its text
// by CP949 bytes, as the core counts them.
class CXEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CXEdit(QWidget* parent = nullptr);

    void SetTextColor(const QColor& colour);
    // An invalid colour makes the field transparent (the default).
    void SetBackgroundColor(const QColor& colour);
    QColor TextColor() const { return m_textColour; }
    QColor BackgroundColor() const { return m_backgroundColour; }

    // At most this many CP949 bytes (a Hangul syllable counts 2); 0 means no limit.
    void SetByteLimit(int bytes);
    int ByteLimit() const { return m_byteLimit; }
    void SetDigitsOnly(bool digitsOnly) { m_digitsOnly = digitsOnly; }
    bool DigitsOnly() const { return m_digitsOnly; }

    std::string Cp949Text() const;
    void SetCp949Text(const std::string& text);

    // Has the parent repaint the background under the field, so a changed text never leaves old pixels.
    void RefreshBackground();

    // Whether the text would be accepted as typed.
    bool Accepts(const QString& text) const;
    // Cuts a change that passes the limit to what fits (see KeepWhatFits); false when the text is refused
    // whole (a character a digits-only field does not take).
    bool Fit(QString& text, int& cursor);

signals:
    // Part of what the user typed or pasted did not fit the limit; told once the change is done.
    void Overflowed(const QString& cut);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void ApplyColours();

    QColor m_textColour{0, 0, 0};
    QColor m_backgroundColour;
    int m_byteLimit = 0;
    bool m_digitsOnly = false;
    QString m_accepted; // the text before the change under way
};
