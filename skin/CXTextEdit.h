#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <string>

// A multi-line text field on a skinned background, the companion of CXEdit: transparent unless given a
// background colour, its own text colour, refusing characters outside CP949 and limited by CP949 bytes. The
// core gets and gives its text with "\r\n" line breaks, and each break counts 2 bytes.
class CXTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CXTextEdit(QWidget* parent = nullptr);

    void SetTextColor(const QColor& colour);
    void SetBackgroundColor(const QColor& colour);
    QColor TextColor() const { return m_textColour; }
    QColor BackgroundColor() const { return m_backgroundColour; }

    void SetByteLimit(int bytes) { m_byteLimit = bytes; }
    int ByteLimit() const { return m_byteLimit; }

    std::string Cp949Text() const;
    void SetCp949Text(const std::string& text);

    void RefreshBackground();

signals:
    // Part of what the user typed, pasted or dropped did not fit the limit; told once the change is done.
    void Overflowed(const QString& cut);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ApplyColours();
    void KeepOrRefuse();

    QColor m_textColour{0, 0, 0};
    QColor m_backgroundColour;
    int m_byteLimit = 0;
    QString m_accepted; // the last text that fitted
};
