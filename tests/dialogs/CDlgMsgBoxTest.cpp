#include "client/dialogs/CDlgMsgBox.h"

#include "skin/CXButton.h"
#include "skin/CXStatic.h"
#include "skin/SkinBitmaps.h"
#include "skin/SkinResources.h"
#include "skin/UiText.h"
#include "support/Layout.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs the box modally and acts on it once it is up, as the user would.
int ShowAndAct(CDlgMsgBox& box, const std::string& text, int mode, std::function<void(CDlgMsgBox&)> act) {
    QTimer::singleShot(0, &box, [&box, act] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
        act(box);
    });
    return box.Show(text, mode);
}

// The pale panel the box paints under its text.
const QColor kPanel(239, 247, 247);

CXButton* Yes(CDlgMsgBox& box) {
    return box.findChild<CXButton*>(QStringLiteral("msgBoxYes"));
}
CXButton* No(CDlgMsgBox& box) {
    return box.findChild<CXButton*>(QStringLiteral("msgBoxNo"));
}

void Key(CDlgMsgBox& box, Qt::Key key) {
    QWidget* target = box.focusWidget() ? box.focusWidget() : &box;
    QTest::keyClick(target, key);
}

} // namespace

TEST(CDlgMsgBox, AQuestionStartsOnNoAndEnterPressesTheFocusedButton) {
    CDlgMsgBox box;
    bool focusOnNo = false;
    EXPECT_EQ(ShowAndAct(box, "x", CDlgMsgBox::kModeQuestion,
                         [&](CDlgMsgBox& b) {
                             focusOnNo = b.focusWidget() == No(b);
                             Key(b, Qt::Key_Return);
                         }),
              2);
    EXPECT_TRUE(focusOnNo);

    // Moving the focus to yes and pressing Enter confirms.
    EXPECT_EQ(ShowAndAct(box, "x", CDlgMsgBox::kModeQuestion,
                         [](CDlgMsgBox& b) {
                             Yes(b)->setFocus();
                             Key(b, Qt::Key_Enter);
                         }),
              1);
    EXPECT_EQ(ShowAndAct(box, "x", CDlgMsgBox::kModeQuestion,
                         [](CDlgMsgBox& b) { QTest::mouseClick(Yes(b), Qt::LeftButton, {}, QPoint(60, 27)); }),
              1);
    EXPECT_EQ(ShowAndAct(box, "x", CDlgMsgBox::kModeQuestion,
                         [](CDlgMsgBox& b) { QTest::mouseClick(No(b), Qt::LeftButton, {}, QPoint(60, 27)); }),
              2);
}

TEST(CDlgMsgBox, EscapeAndClosingAnswerTwoInBothModes) {
    CDlgMsgBox box;
    for (int mode : {CDlgMsgBox::kModeNotice, CDlgMsgBox::kModeQuestion}) {
        EXPECT_EQ(ShowAndAct(box, "x", mode, [](CDlgMsgBox& b) { Key(b, Qt::Key_Escape); }), 2) << mode;
        EXPECT_EQ(ShowAndAct(box, "x", mode, [](CDlgMsgBox& b) { b.close(); }), 2) << mode;
    }
    // A notice confirmed with Enter answers 1.
    EXPECT_EQ(ShowAndAct(box, "x", CDlgMsgBox::kModeNotice, [](CDlgMsgBox& b) { Key(b, Qt::Key_Return); }), 1);
}

TEST(CDlgMsgBox, LaysOutEachMode) {
    CDlgMsgBox box;
    // Named for tests and screen readers from the start.
    for (const QWidget* control : box.findChildren<QWidget*>()) {
        EXPECT_FALSE(control->objectName().isEmpty()) << control->metaObject()->className();
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    ShowAndAct(box, "x", CDlgMsgBox::kModeNotice, [](CDlgMsgBox& b) {
        EXPECT_EQ(b.size(), QSize(500, 250));
        EXPECT_EQ(b.windowTitle(), QStringLiteral("Halvren 메세지"));
        EXPECT_FALSE(No(b)->isVisible());
        EXPECT_EQ(b.focusWidget(), Yes(b));
        // The text stands on the panel painted for it, the one button below it, near the middle.
        const CXStatic* text = b.findChild<CXStatic*>(QStringLiteral("msgBoxText"));
        ExpectInsideAndApart(b);
        ExpectOnPaintedField(*b.Background(), *text, kPanel, 12);
        EXPECT_GT(Yes(b)->y(), text->geometry().bottom());
        EXPECT_LE(std::abs(Yes(b)->geometry().center().x() - b.rect().center().x()), 5);
        EXPECT_EQ(Yes(b)->size(), LoadResourceBitmap(ClientBitmap::kConfirm).size());
        b.done(1);
    });
    ShowAndAct(box, "x", CDlgMsgBox::kModeQuestion, [](CDlgMsgBox& b) {
        // 예 and 아니오 side by side below the text, 예 first, the pair near the middle.
        ExpectInsideAndApart(b);
        EXPECT_TRUE(No(b)->isVisible());
        EXPECT_EQ(Yes(b)->y(), No(b)->y());
        EXPECT_LT(Yes(b)->geometry().right(), No(b)->x());
        EXPECT_GT(Yes(b)->y(), b.findChild<CXStatic*>(QStringLiteral("msgBoxText"))->geometry().bottom());
        EXPECT_LE(std::abs((Yes(b)->x() + No(b)->geometry().right()) / 2 - b.rect().center().x()), 5);
        // The buttons are drawn from the program's own bitmaps: 예 and 아니오.
        EXPECT_EQ(Yes(b)->ImageCount(), 2);
        EXPECT_EQ(No(b)->ImageCount(), 2);
        EXPECT_NE(b.Background(), nullptr);
        b.done(2);
    });
    EXPECT_EQ(box.Mode(), CDlgMsgBox::kModeQuestion);
}

TEST(CDlgMsgBox, CentresOnTheMainWindowOrTheScreen) {
    CDlgMsgBox box;
    QPoint atStart;
    ShowAndAct(box, "x", CDlgMsgBox::kModeNotice, [&](CDlgMsgBox& b) {
        atStart = b.pos();
        b.done(1);
    });
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(atStart, QPoint(screen.x() + screen.width() / 2 - 250, screen.y() + screen.height() / 2 - 125));

    QWidget main;
    main.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    main.setGeometry(40, 30, 1024, 750);
    main.show();
    box.SetMainWindow(&main);
    QPoint onMain;
    ShowAndAct(box, "x", CDlgMsgBox::kModeNotice, [&](CDlgMsgBox& b) {
        onMain = b.pos();
        b.done(1);
    });
    EXPECT_EQ(onMain, QPoint(40 + 512 - 250, 30 + 375 - 125));
}

TEST(CDlgMsgBox, ShowsEveryLineOfItsText) {
    CDlgMsgBox box;
    const std::string text = *FromUi(QStringLiteral("첫째 줄입니다.\r\n둘째 줄입니다.\r\n셋째 줄입니다."));
    QString shown;
    QStringList heard;
    QImage picture;
    ShowAndAct(box, text, CDlgMsgBox::kModeNotice, [&](CDlgMsgBox& b) {
        auto* label = b.findChild<CXStatic*>(QStringLiteral("msgBoxText"));
        shown = label->text();
        picture = label->grab().toImage();
        // What a screen reader gets: the names in the box's accessibility tree.
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&b);
        for (int i = 0; window && i < window->childCount(); ++i) {
            heard << window->child(i)->text(QAccessible::Name);
        }
        b.done(1);
    });
    EXPECT_EQ(shown, QStringLiteral("첫째 줄입니다.\n둘째 줄입니다.\n셋째 줄입니다."));
    EXPECT_TRUE(heard.contains(shown)) << heard.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(box.Text(), text);
    // Three lines one under another: ink on at least three separate bands of rows.
    int bands = 0;
    bool inInk = false;
    for (int y = 0; y < picture.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < picture.width() && !ink; ++x) {
            ink = qGray(picture.pixel(x, y)) < 100 && qAlpha(picture.pixel(x, y)) > 0;
        }
        bands += ink && !inInk;
        inInk = ink;
    }
    EXPECT_GE(bands, 3);
}
