#include "skin/CXDialog.h"

#include "SkinPixels.h"
#include "skin/CXBalloonTip.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXSkinWidget.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Every pixel tells where it came from in the bitmap: red = x * 20, green = y * 20.
QPixmap CoordinateBitmap() {
    QImage img(10, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            img.setPixel(x, y, qRgb(x * 20, y * 20, 7));
        }
    }
    return QPixmap::fromImage(img);
}

void SendMouse(QWidget& widget, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(widget.mapToGlobal(local)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(CXDialog, TilesItsBackgroundFromTheCornerWithoutStretching) {
    const QPixmap tile = CoordinateBitmap();
    CXDialog dialog;
    dialog.resize(25, 15);
    ASSERT_EQ(dialog.SetBackground(&tile), 0);
    const QImage shot = Shot(dialog);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 25; ++x) {
            ASSERT_EQ(PixelAt(shot, x, y), QColor((x % 10) * 20, (y % 10) * 20, 7)) << x << "," << y;
        }
    }
    // The borrowed bitmap is the one drawn, and it is left as it was.
    EXPECT_EQ(dialog.Background(), &tile);
    EXPECT_EQ(tile.toImage().pixel(9, 9), qRgb(180, 180, 7));
}

TEST(CXDialog, BackgroundChangesAndFailures) {
    CXDialog dialog;
    dialog.resize(40, 30);
    dialog.SetRoundRegion(0, 0, 40, 30, 20, 20);
    EXPECT_TRUE(dialog.HasRegion());
    // A rounded window does not paint its corner.
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(20, 15)));

    const QPixmap tile = SolidBitmap(5, 5, Qt::blue, false);
    EXPECT_EQ(dialog.SetBackground(&tile), 0);
    EXPECT_FALSE(dialog.HasRegion()); // rectangular again

    const QPixmap unreadable;
    EXPECT_EQ(dialog.SetBackground(&unreadable), 1);
    EXPECT_EQ(dialog.Background(), nullptr);

    // A resource the program does not have leaves no background either.
    EXPECT_EQ(dialog.SetBackground(99999), 1);
    EXPECT_EQ(dialog.Background(), nullptr);
    // With none, the dialog paints its standard window colour.
    EXPECT_EQ(PixelAt(Shot(dialog), 3, 3), dialog.palette().color(QPalette::Window));
}

TEST(CXDialog, ControlBackgroundColourReachesEveryControlAndCanBeSwitchedOff) {
    CXDialog dialog;
    dialog.resize(60, 40);
    auto* label = new QLabel(QStringLiteral(" "), &dialog);
    label->setAutoFillBackground(true);
    label->setGeometry(10, 10, 20, 20);
    const QColor before = PixelAt(Shot(dialog), 15, 15);

    dialog.SetControlBackgroundColor(Qt::white);
    EXPECT_EQ(PixelAt(Shot(dialog), 15, 15), QColor(Qt::white));
    EXPECT_EQ(PixelAt(Shot(dialog), 2, 2), QColor(Qt::white));

    dialog.SetControlBackgroundColor(QColor());
    EXPECT_FALSE(dialog.ControlBackgroundColor().isValid());
    EXPECT_EQ(PixelAt(Shot(dialog), 15, 15), before);
}

TEST(CXDialog, DraggingMovesTheWindowOnlyWhenAllowed) {
    CXDialog dialog;
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setGeometry(100, 100, 200, 100);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    SendMouse(dialog, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    SendMouse(dialog, QEvent::MouseMove, QPoint(40, 30), Qt::LeftButton);
    SendMouse(dialog, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::NoButton);
    EXPECT_EQ(dialog.pos(), QPoint(100, 100));

    dialog.SetDraggable(true);
    SendMouse(dialog, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    SendMouse(dialog, QEvent::MouseMove, QPoint(40, 30), Qt::LeftButton);
    SendMouse(dialog, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::NoButton);
    EXPECT_EQ(dialog.pos(), QPoint(130, 120));

    // After the release, moving the mouse no longer moves the window.
    SendMouse(dialog, QEvent::MouseMove, QPoint(60, 60), Qt::NoButton);
    EXPECT_EQ(dialog.pos(), QPoint(130, 120));

    // A page inside the window is no handle to drag it by.
    auto* page = new CXSkinWidget(&dialog);
    page->setGeometry(20, 20, 100, 60);
    page->show();
    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(page, QPoint(40, 30));
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(dialog.pos(), QPoint(130, 120));
}

TEST(CXDialog, ToolTipsAppearAsBalloonsOverTheirControl) {
    // A button at the screen's right edge, as the main window's close button stands: the button lets mouse
    // moves pass on to its window, and the tip must still come, wholly on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CXDialog dialog;
    dialog.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    dialog.setGeometry(screen.right() + 1 - 300, screen.top() + 40, 300, 200);
    const QPixmap image = SolidBitmap(18, 18, Qt::blue);
    auto* button = new CXButton(&dialog);
    button->SetBitmaps(&image, CXButton::kMagenta, &image, CXButton::kMagenta);
    button->SizeToContent();
    button->move(280, 6);
    auto* field = new CXEdit(&dialog);
    field->setGeometry(20, 60, 100, 22);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    EXPECT_FALSE(dialog.ToolTipsEnabled());
    dialog.InitToolTips();
    ASSERT_TRUE(dialog.ToolTipsEnabled());
    CXBalloonTip* tip = dialog.ToolTip();
    EXPECT_EQ(tip->InitialDelay(), 100);
    EXPECT_EQ(tip->DisplayTime(), 20000);
    EXPECT_EQ(tip->MaxTipWidth(), 400);
    EXPECT_EQ(tip->font().pointSize(), 16);

    const QString text = QStringLiteral("프로그램을 끝냅니다. ").repeated(8);
    dialog.AddToolTip(button, text);
    dialog.AddToolTip(field, QStringLiteral("이름"));
    QTest::mouseMove(button, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(9, 9));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->isVisible(); }, 2000));
    EXPECT_EQ(tip->ShownText(), text);
    EXPECT_LE(tip->width(), 400); // long texts wrap
    EXPECT_GT(tip->height(), tip->fontMetrics().height() * 2);
    EXPECT_TRUE(screen.contains(tip->geometry())) << "the tip is moved onto the screen";

    // A click takes it down; another control brings its own.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_FALSE(tip->isVisible());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(9, 9));
    QTest::mouseMove(field, QPoint(10, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->isVisible(); }, 2000));
    EXPECT_EQ(tip->ShownText(), QStringLiteral("이름"));
}

namespace {
// A page that draws a panel over its background, as the user selection page does.
class PanelPage : public CXSkinWidget {
public:
    void DrawOverBackground(QPainter& painter) override { painter.fillRect(QRect(5, 5, 10, 10), Qt::magenta); }
};
} // namespace

TEST(CXDialog, PagesDrawOverTheirBackgroundWithOrWithoutABitmap) {
    PanelPage page;
    page.resize(30, 30);
    EXPECT_EQ(PixelAt(Shot(page), 8, 8), QColor(Qt::magenta));
    const QPixmap tile = SolidBitmap(4, 4, Qt::blue, false);
    page.SetBackground(&tile);
    const QImage shot = Shot(page);
    EXPECT_EQ(PixelAt(shot, 8, 8), QColor(Qt::magenta));
    EXPECT_EQ(PixelAt(shot, 20, 20), QColor(Qt::blue));
}
