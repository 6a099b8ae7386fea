#include "skin/CXButton.h"

#include "SkinPixels.h"
#include "skin/CXDialog.h"
#include "skin/CXSkinWidget.h"
#include "skin/SkinCatalogue.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

const QColor kWindow(0, 120, 0);
const QColor kFirst(200, 0, 0);
const QColor kSecond(0, 0, 200);
const QColor kThird(200, 200, 0);

// A window with a solid background and buttons on it, shown so that hover and focus are real.
struct Window {
    QPixmap background = SolidBitmap(8, 8, kWindow, false);
    QPixmap first = SolidBitmap(40, 20, kFirst);
    QPixmap second = SolidBitmap(40, 20, kSecond);
    QPixmap third = SolidBitmap(40, 20, kThird);
    CXDialog dialog;

    Window() {
        dialog.resize(200, 120);
        dialog.SetBackground(&background);
    }
    CXButton* Add(int x, int y, int images) {
        auto* button = new CXButton(&dialog);
        button->move(x, y);
        button->SetBitmaps(&first, CXButton::kMagenta, images > 1 ? &second : nullptr, CXButton::kMagenta,
                           images > 2 ? &third : nullptr, CXButton::kMagenta);
        button->SizeToContent();
        return button;
    }
    void Show() {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    QColor Centre(const CXButton* b) { return PixelAt(Shot(dialog), b->x() + 20, b->y() + 10); }
};

} // namespace

TEST(CXButton, ShowsTheImageOfEachState) {
    Window w;
    CXButton* two = w.Add(10, 10, 2);
    CXButton* three = w.Add(10, 50, 3);
    CXButton* other = w.Add(100, 90, 2);
    w.Show();
    EXPECT_EQ(two->size(), QSize(40, 20));

    other->setFocus();
    EXPECT_EQ(w.Centre(two), kSecond) << "at rest: the second image";
    two->setDown(true);
    EXPECT_EQ(PixelAt(Shot(w.dialog), 30, 20), kFirst) << "pressed: the first";
    two->setDown(false);
    two->setFocus();
    EXPECT_EQ(w.Centre(two), kFirst) << "focused: the first";
    other->setFocus();
    QTest::mouseMove(&w.dialog, QPoint(30, 20));
    EXPECT_TRUE(two->IsHovered());
    EXPECT_EQ(w.Centre(two), kFirst) << "under the mouse: the first";
    QTest::mouseMove(&w.dialog, QPoint(150, 5));
    EXPECT_FALSE(two->IsHovered());
    EXPECT_EQ(w.Centre(two), kSecond);
    // Focus from a click: once the mouse has gone over to another button, only that one looks lit.
    QTest::mouseClick(two, Qt::LeftButton);
    ASSERT_TRUE(two->hasFocus());
    QTest::mouseMove(&w.dialog, QPoint(120, 100));
    EXPECT_TRUE(other->IsHovered());
    EXPECT_EQ(w.Centre(two), kSecond);
    QTest::mouseMove(&w.dialog, QPoint(150, 5));

    three->SetSelected(true);
    two->SetSelected(true);
    EXPECT_EQ(w.Centre(three), kThird) << "selected with three images: the third";
    EXPECT_EQ(w.Centre(two), kFirst) << "selected with two images: the first";
    three->SetSelected(false);
    two->SetSelected(false);

    three->setEnabled(false);
    two->setEnabled(false);
    EXPECT_EQ(w.Centre(three), kFirst) << "disabled with three images: the first";
    EXPECT_EQ(w.Centre(two), kSecond) << "disabled with two images: the second";
}

TEST(CXButton, MagentaShowsTheWindowAndSharedBitmapsStayIntact) {
    Window w;
    std::unique_ptr<CXButton> doomed(w.Add(10, 10, 3));
    CXButton* kept[3] = {w.Add(60, 10, 3), w.Add(110, 10, 3), w.Add(10, 60, 3)};
    w.Show();
    doomed.reset();

    const QImage shot = Shot(w.dialog);
    for (const CXButton* b : kept) {
        EXPECT_EQ(PixelAt(shot, b->x(), b->y()), kWindow);
        EXPECT_EQ(PixelAt(shot, b->x() + 39, b->y() + 19), kWindow);
        EXPECT_EQ(PixelAt(shot, b->x() + 1, b->y()), kSecond);
    }
    // The handed-over bitmaps still carry their magenta.
    EXPECT_EQ(QColor(w.second.toImage().pixel(0, 0)), CXButton::kMagenta);
    EXPECT_EQ(PixelAt(shot, 10, 10), kWindow); // where the destroyed one was
}

TEST(CXButton, PressingMovesImageAndCaptionOnePixel) {
    Window w;
    QImage marked(40, 20, QImage::Format_RGB32);
    marked.fill(kSecond);
    marked.setPixel(0, 0, qRgb(255, 255, 0));
    const QPixmap image = QPixmap::fromImage(marked);
    auto* button = new CXButton(&w.dialog);
    button->move(20, 20);
    button->SetBitmaps(&image, CXButton::kMagenta, &image, CXButton::kMagenta);
    button->SizeToContent();
    button->setText(QStringLiteral("가"));
    button->SetTextFont(false, 14, true, QStringLiteral("돋움"));
    button->SetNormalTextColor(Qt::white);
    button->SetHoverTextColor(Qt::white);
    button->setFocusPolicy(Qt::NoFocus);
    w.dialog.show();

    const QRect area(20, 20, 42, 22);
    QImage shot = Shot(w.dialog);
    EXPECT_EQ(PixelAt(shot, 20, 20), QColor(255, 255, 0));
    const QRect caption = BoxOf(shot, Qt::white, area);
    ASSERT_FALSE(caption.isEmpty());

    button->setDown(true);
    shot = Shot(w.dialog);
    EXPECT_EQ(PixelAt(shot, 20, 20), kWindow) << "the background stays in place";
    EXPECT_EQ(PixelAt(shot, 21, 21), QColor(255, 255, 0));
    EXPECT_EQ(BoxOf(shot, Qt::white, area), caption.translated(1, 1));
}

TEST(CXButton, BottomCaptionSitsAboveTheEdgeUnlessSelected) {
    Window w;
    const QPixmap tab = SolidBitmap(120, 40, kSecond);
    auto* button = new CXButton(&w.dialog);
    button->move(10, 10);
    button->SetBitmaps(&tab, CXButton::kMagenta, &tab, CXButton::kMagenta, &tab, CXButton::kMagenta);
    button->SizeToContent();
    button->SetTextFont(false, 12, true, QStringLiteral("돋움"));
    button->setText(QStringLiteral("홍길동"));
    button->SetNormalTextColor(Qt::white);
    button->SetSelectedTextColor(Qt::black);
    button->SetBottomCaption(true);
    w.dialog.show();

    const QRect area(10, 10, 120, 40);
    const QRect bottom = BoxOf(Shot(w.dialog), Qt::white, area);
    ASSERT_FALSE(bottom.isEmpty());
    // The text's line ends 2 pixels (40 / 20) above the tab's bottom edge.
    EXPECT_LE(bottom.bottom(), 10 + 40 - 2 - 1);
    EXPECT_GE(bottom.bottom(), 10 + 40 - 2 - 8);

    button->SetSelected(true);
    const QRect centred = BoxOf(Shot(w.dialog), Qt::black, area);
    ASSERT_FALSE(centred.isEmpty());
    EXPECT_LT(centred.bottom(), bottom.bottom() - 4);
    EXPECT_NEAR(centred.center().y(), 10 + 20, 4);
}

TEST(CXButton, DisabledCaptionIsEngraved) {
    Window w;
    CXButton* button = w.Add(10, 10, 2);
    button->setText(QStringLiteral("가"));
    button->SetTextFont(false, 14, true, QStringLiteral("돋움"));
    button->SetNormalTextColor(Qt::red);
    w.dialog.show();
    button->setEnabled(false);
    const QImage shot = Shot(w.dialog);
    const QRect area(10, 10, 40, 20);
    const QRect light = BoxOf(shot, button->palette().color(QPalette::Light), area);
    const QRect dark = BoxOf(shot, button->palette().color(QPalette::Dark), area);
    ASSERT_FALSE(dark.isEmpty());
    ASSERT_FALSE(light.isEmpty());
    // The highlight lies one pixel right and down of the shadow.
    EXPECT_GE(light.left(), dark.left());
    EXPECT_GE(light.top(), dark.top());
    EXPECT_TRUE(BoxOf(shot, Qt::red, area).isEmpty());
}

TEST(CXButton, HoverDoesNotStartDuringADrag) {
    Window w;
    CXButton* button = w.Add(50, 50, 2);
    w.Show();

    QTest::mouseMove(&w.dialog, QPoint(5, 5));
    QTest::mousePress(&w.dialog, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&w.dialog, QPoint(60, 60));
    EXPECT_FALSE(button->IsHovered());
    QTest::mouseRelease(&w.dialog, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&w.dialog, QPoint(5, 5));
    QTest::mouseMove(&w.dialog, QPoint(60, 60));
    EXPECT_TRUE(button->IsHovered());
}

TEST(CXButton, DisablingTheFocusedButtonMovesTheFocusOn) {
    Window w;
    CXButton* first = w.Add(10, 10, 2);
    CXButton* second = w.Add(60, 10, 2);
    w.Show();
    first->setFocus();
    ASSERT_TRUE(first->hasFocus());
    first->setEnabled(false);
    EXPECT_TRUE(second->hasFocus());

    // On a page the focus stays among the page's own buttons, wrapping round to its first.
    auto* page = new CXSkinWidget(&w.dialog);
    page->setGeometry(0, 60, 200, 60);
    auto* pageFirst = new CXButton(page);
    auto* pageLast = new CXButton(page);
    w.Add(150, 10, 2); // a window button after the page
    page->show();
    pageLast->setFocus();
    ASSERT_TRUE(pageLast->hasFocus());
    pageLast->setEnabled(false);
    EXPECT_TRUE(pageFirst->hasFocus());
}

TEST(CXButton, RefusesUnreadableBitmapsAndLoadsProgramResources) {
    CXButton button;
    const QPixmap good = SolidBitmap(10, 10, kFirst);
    const QPixmap bad;
    EXPECT_EQ(button.SetBitmaps(&good, CXButton::kMagenta, &bad, CXButton::kMagenta), 0);
    EXPECT_EQ(button.ImageCount(), 0);
    EXPECT_EQ(button.SetBitmaps(nullptr), 0);
    // A third image without a second is ignored.
    EXPECT_EQ(button.SetBitmaps(&good, CXButton::kMagenta, nullptr, CXButton::kMagenta, &good), 1);
    EXPECT_EQ(button.ImageCount(), 1);

    // The confirm button of the message box, built into the program.
    EXPECT_EQ(button.SetBitmaps(151, CXButton::kMagenta, 150, CXButton::kMagenta), 1);
    button.SizeToContent();
    EXPECT_EQ(button.size(), QSize(134, 54));
}

TEST(CXButton, SetupTabButtonTakesItsImagesFromTheCatalogue) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "images");
    const QString images = QString::fromStdString((dir.Path() / "images").string());
    ASSERT_TRUE(SolidBitmap(165, 50, kFirst).save(images + "/tab_o.bmp", "BMP"));
    ASSERT_TRUE(SolidBitmap(165, 50, kSecond).save(images + "/tab_n.bmp", "BMP"));
    ASSERT_TRUE(SolidBitmap(165, 50, kThird).save(images + "/tab_s.bmp", "BMP"));
    std::vector<std::string> missing;
    SkinCatalogue skin(dir.Str(), [&missing](const std::string& name) { missing.push_back(name); });

    Window w;
    CXButton tab(&w.dialog);
    CXButton::SetupTabButton(skin, tab, 12, 7, "tab_o.bmp", "tab_n.bmp", "tab_s.bmp");
    EXPECT_EQ(tab.geometry(), QRect(12, 7, 165, 50));
    EXPECT_EQ(tab.ImageCount(), 3);
    tab.SetSelected(true);
    EXPECT_EQ(PixelAt(Shot(w.dialog), 12 + 80, 7 + 25), kThird);
    EXPECT_EQ(PixelAt(Shot(w.dialog), 12, 7), kWindow); // magenta corner
    EXPECT_TRUE(missing.empty());

    // Without its first image the tab cannot be seen, and the user has been told.
    CXButton lost(&w.dialog);
    CXButton::SetupTabButton(skin, lost, 12, 70, "gone_o.bmp", "tab_n.bmp", "tab_s.bmp");
    EXPECT_EQ(lost.size(), QSize(0, 0));
    EXPECT_EQ(missing, std::vector<std::string>{"gone_o.bmp"});
}

namespace {

double Luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// The ring that shows keyboard focus on every skinned button picture stands out 3:1 from the pixels on both
// sides of it, whether the picture is light or dark.
TEST(CXButton, FocusRingStandsOutOnEveryPicture) {
    const std::filesystem::path images = std::filesystem::path(HALVREN_DIST_DIR) / "images";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(images)) {
        const std::string name = entry.path().filename().string();
        if ((name.rfind("btn_", 0) != 0 && name.rfind("menu_", 0) != 0 && name.find("Tab_") == std::string::npos) ||
            name == "menu_bar.bmp") {
            continue;
        }
        const QPixmap picture(QString::fromStdString(entry.path().string()));
        ASSERT_FALSE(picture.isNull()) << name;
        CXDialog dialog;
        auto* button = new CXButton(&dialog);
        button->SetBitmaps(&picture);
        button->SizeToContent();
        dialog.resize(button->size() + QSize(10, 10));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->hasFocus());
        const QImage ringed = button->grab().toImage();
        const int w = ringed.width();
        const int h = ringed.height();
        const int on = CXButton::RingInset(button->size());
        const int out = on - 1;
        const int in = on + CXButton::RingWidth(button->size());
        // Mid-points of the four sides: outside the ring, on it, inside it.
        const struct {
            QPoint out, on, in;
        } sides[] = {{{w / 2, out}, {w / 2, on}, {w / 2, in}},
                     {{w / 2, h - 1 - out}, {w / 2, h - 1 - on}, {w / 2, h - 1 - in}},
                     {{out, h / 2}, {on, h / 2}, {in, h / 2}},
                     {{w - 1 - out, h / 2}, {w - 1 - on, h / 2}, {w - 1 - in, h / 2}}};
        for (const auto& side : sides) {
            const QColor ring = ringed.pixelColor(side.on);
            EXPECT_GE(Contrast(ring, ringed.pixelColor(side.out)), 3.0) << name << " outside " << side.on.x();
            EXPECT_GE(Contrast(ring, ringed.pixelColor(side.in)), 3.0) << name << " inside " << side.on.y();
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);
}
