#include "skin/CXSkinText.h"

CXSkinText::CXSkinText(QWidget* parent, const QString& words, const QRect& where, QWidget* field)
    : QLabel(words, parent) {
    setObjectName(QStringLiteral("skinText"));
    setAccessibleName(words);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(where);
    if (field) {
        setBuddy(field);
        ReadBefore(field);
    }
}

CXSkinText::CXSkinText(QWidget* parent) : QLabel(parent), m_live(true) {
    setObjectName(QStringLiteral("liveStatus"));
    setAccessibleName(QStringLiteral("상태")); // a screen reader hears the text it holds instead
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
}

CXSkinText* CXSkinText::StatusLine(QWidget* parent) {
    return new CXSkinText(parent);
}

CXSkinText* CXSkinText::ReadBefore(QWidget* control) {
    // A screen reader walks a window's controls in the order of its children; the label paints nothing, so
    // its place in the stack changes nothing on the screen.
    if (control && control->parentWidget() == parentWidget()) {
        stackUnder(control);
    }
    return this;
}
