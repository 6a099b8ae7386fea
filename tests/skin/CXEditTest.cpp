#include "skin/CXEdit.h"

#include "SkinPixels.h"
#include "skin/CXDialog.h"
#include "skin/CXStatic.h"
#include "skin/CXTextEdit.h"
#include "skin/CXTransparentStatic.h"
#include "skin/UiText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kPage(10, 90, 160);

// Types the text as key presses carrying each character, as an input method would deliver Hangul.
void Type(QWidget& widget, const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const int n = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, n));
        QApplication::sendEvent(&widget, &press);
        i += n - 1;
    }
}

} // namespace

TEST(CXEdit, ATransparentFieldShowsNewTextOverAnUnchangedBackground) {
    const QPixmap page = SolidBitmap(16, 16, kPage, false);
    CXDialog dialog;
    dialog.resize(200, 60);
    dialog.SetBackground(&page);
    auto* field = new CXEdit(&dialog);
    field->setGeometry(10, 10, 180, 30);
    field->SetTextColor(Qt::white);
    field->setFont(QFont(QStringLiteral("돋움"), 16, QFont::Bold));
    field->setText(QStringLiteral("가나다라마바사"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QRect area(10, 10, 180, 30);
    EXPECT_FALSE(BoxOf(Shot(dialog), Qt::white, area).isEmpty());
    field->setText(QStringLiteral("가"));
    const QImage after = Shot(dialog);
    const QRect ink = BoxOf(after, Qt::white, area);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(ink.right(), 40); // nothing of the longer old text remains
    EXPECT_EQ(PixelAt(after, 150, 25), kPage);

    field->SetBackgroundColor(Qt::yellow);
    EXPECT_EQ(PixelAt(Shot(dialog), 150, 25), QColor(Qt::yellow));
}

TEST(CXEdit, RefusesWhatTheCoreCannotStoreAndCountsBytes) {
    CXEdit field;
    field.SetByteLimit(5);
    field.show();
    Type(field, QStringLiteral("가나다"));
    EXPECT_EQ(field.text(), QStringLiteral("가나")); // 4 bytes; a third syllable would make 6
    Type(field, QStringLiteral("a"));
    EXPECT_EQ(field.Cp949Text(), *FromUi(QStringLiteral("가나a")));

    field.clear();
    field.SetByteLimit(0);
    Type(field, QStringLiteral("불😀꽃"));
    EXPECT_EQ(field.text(), QStringLiteral("불꽃")); // the emoji has no CP949 form

    field.clear();
    field.SetDigitsOnly(true);
    Type(field, QStringLiteral("12a-34"));
    EXPECT_EQ(field.text(), QStringLiteral("1234"));

    field.SetCp949Text(*FromUi(QStringLiteral("서울")));
    EXPECT_EQ(field.text(), QStringLiteral("서울"));
}

TEST(CXStatic, ColoursItsTextAndKeepsTheWindowVisibleBehind) {
    const QPixmap page = SolidBitmap(16, 16, kPage, false);
    CXDialog dialog;
    dialog.resize(120, 40);
    dialog.SetBackground(&page);
    auto* text = new CXStatic(&dialog);
    text->setGeometry(0, 0, 120, 40);
    text->setFont(QFont(QStringLiteral("돋움"), 16, QFont::Bold));
    text->SetTextColor(Qt::white);
    text->setText(QStringLiteral("확인"));
    auto* label = new CXTransparentStatic(&dialog);
    label->setGeometry(100, 0, 20, 40);
    QImage shot = Shot(dialog);
    EXPECT_FALSE(BoxOf(shot, Qt::white, QRect(0, 0, 120, 40)).isEmpty());
    EXPECT_EQ(PixelAt(shot, 110, 38), kPage);

    text->SetBackgroundColor(Qt::yellow);
    EXPECT_EQ(PixelAt(Shot(dialog), 90, 38), QColor(Qt::yellow));
}

TEST(UiText, ConvertsBetweenCp949AndWhatTheWindowsShow) {
    const std::string bytes = "\xC8\xAD\xC0\xE7"; // 화재
    EXPECT_EQ(ToUi(bytes), QStringLiteral("화재"));
    EXPECT_EQ(FromUi(QStringLiteral("화재")), bytes);
    EXPECT_FALSE(FromUi(QStringLiteral("😀")).has_value());
    // Broken bytes still show something rather than nothing.
    EXPECT_FALSE(ToUi("ab\xC8").isEmpty());
}

TEST(CXTextEdit, HandsLinesToTheCoreWithCrLfAndCountsThemInTheLimit) {
    CXTextEdit field;
    field.SetCp949Text("first\r\nsecond");
    EXPECT_EQ(field.toPlainText(), QStringLiteral("first\nsecond"));
    EXPECT_EQ(field.Cp949Text(), "first\r\nsecond");

    field.clear();
    field.SetByteLimit(6);
    field.show();
    field.setFocus();
    Type(field, QStringLiteral("가나"));
    QTest::keyClick(&field, Qt::Key_Return); // 4 bytes + 2 for the line break
    Type(field, QStringLiteral("a"));
    EXPECT_EQ(field.Cp949Text(), *FromUi(QStringLiteral("가나\r\n")));

    field.SetByteLimit(0);
    Type(field, QStringLiteral("불😀꽃"));
    EXPECT_EQ(field.toPlainText(), QStringLiteral("가나\n불꽃"));
    // Pasted text is held to the same rules.
    field.insertPlainText(QStringLiteral("😀"));
    EXPECT_EQ(field.toPlainText(), QStringLiteral("가나\n불꽃"));
}

TEST(CXTextEdit, IsTransparentOnItsPage) {
    const QPixmap page = SolidBitmap(16, 16, kPage, false);
    CXDialog dialog;
    dialog.resize(200, 100);
    dialog.SetBackground(&page);
    auto* field = new CXTextEdit(&dialog);
    field->setGeometry(10, 10, 180, 80);
    field->SetCp949Text("x");
    EXPECT_EQ(PixelAt(Shot(dialog), 150, 70), kPage);
    field->SetBackgroundColor(Qt::yellow);
    EXPECT_EQ(PixelAt(Shot(dialog), 150, 70), QColor(Qt::yellow));
}
