#pragma once

// What the person page tests do with widgets: find them by name, and type into them as the keyboard does.
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

template <typename T = QWidget> T* Child(QWidget* root, const char* name) {
    T* widget = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(nullptr, widget) << name;
    return widget;
}

// One key press per character, Hangul included, so the field's own limits and filters apply.
inline void Type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
