#include "skin/CXListCtrl.h"

#include "SkinPixels.h"
#include "skin/CXComboBox.h"
#include "skin/CXHeaderCtrl.h"
#include "skin/SkinBitmaps.h"
#include "skin/SkinResources.h"

#include <QAbstractItemView>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

TEST(CXListCtrl, AlignsColumnsByLetterAndPaintsTheEmptyAreaPaleBlue) {
    CXListCtrl list;
    list.resize(400, 200);
    EXPECT_EQ(list.AddColumn('L', 100, QStringLiteral("작성일자")), 0);
    EXPECT_EQ(list.AddColumn('C', 100, QStringLiteral("제목")), 1);
    EXPECT_EQ(list.AddColumn('R', 100, QStringLiteral("진행상태")), 2);
    EXPECT_EQ(list.AddColumn('X', 0, QString()), 3);
    EXPECT_EQ(list.ColumnAlignment(0), Qt::AlignLeft);
    EXPECT_EQ(list.ColumnAlignment(1), Qt::AlignHCenter);
    EXPECT_EQ(list.ColumnAlignment(2), Qt::AlignRight);
    EXPECT_EQ(list.ColumnAlignment(3), Qt::AlignHCenter);
    EXPECT_EQ(list.columnWidth(3), 0); // a hidden column really has no width
    EXPECT_FALSE(list.Header()->objectName().isEmpty());
    EXPECT_FALSE(list.Header()->accessibleName().isEmpty());

    const int row = list.InsertItem(0, QStringLiteral("2026-12-07"));
    list.SetItemText(row, 2, QStringLiteral("접수"));
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("2026-12-07"));
    EXPECT_EQ(list.item(0, 2)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    const QImage shot = list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int below = list.rowViewportPosition(0) + list.rowHeight(0) + 10;
    EXPECT_EQ(PixelAt(shot, 50, below), CXListCtrl::kBackground);
    EXPECT_EQ(PixelAt(shot, 350, 3), CXListCtrl::kBackground); // right of the last column
    EXPECT_NE(PixelAt(shot, 250, 3), CXListCtrl::kBackground); // the row itself
}

TEST(CXHeaderCtrl, PaintsFlatWithSeparatorsAndCentredElidedTexts) {
    CXListCtrl list;
    list.resize(400, 200);
    list.AddColumn('L', 150, QStringLiteral("우편번호"));
    list.AddColumn('L', 60, QStringLiteral("아주 긴 머리글 텍스트입니다"));
    list.Header()->setFont(QFont(QStringLiteral("돋움"), 14, QFont::Bold));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    CXHeaderCtrl* header = list.Header();
    const QImage shot = header->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int h = shot.height();
    EXPECT_EQ(PixelAt(shot, 3, 3), CXHeaderCtrl::kBackground);
    EXPECT_EQ(PixelAt(shot, 149, h / 2), CXHeaderCtrl::kLine); // after column 0
    EXPECT_EQ(PixelAt(shot, 209, h / 2), CXHeaderCtrl::kLine); // after column 1
    EXPECT_EQ(PixelAt(shot, 300, h - 1), CXHeaderCtrl::kLine); // along the bottom
    EXPECT_EQ(PixelAt(shot, 300, h / 2), CXHeaderCtrl::kBackground);

    // Text ink is centred in its column, whatever the column's alignment.
    const QRect ink = BoxOf(shot, CXHeaderCtrl::kText, QRect(0, 0, 148, h - 1));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 75, 4);
    // The long text stays within its 60 pixels.
    const QRect longInk = BoxOf(shot, CXHeaderCtrl::kText, QRect(150, 0, 250, h - 1));
    ASSERT_FALSE(longInk.isEmpty());
    EXPECT_LT(longInk.right(), 209);
}

TEST(CXComboBox, DrawsATwoToneFrameAndTheArrowAndDropsDownWideEnough) {
    CXComboBox combo;
    combo.resize(60, 24);
    combo.addItems({QStringLiteral("02"), QStringLiteral("서울특별시 아주 긴 선택지"), QStringLiteral("031")});
    combo.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&combo));

    const QImage shot = Shot(combo);
    EXPECT_EQ(PixelAt(shot, 0, 12), CXComboBox::kOuterFrame);
    EXPECT_EQ(PixelAt(shot, 1, 12), QColor(Qt::white));
    EXPECT_EQ(PixelAt(shot, 30, 0), CXComboBox::kOuterFrame);
    // The arrow bitmap sits against the inner right edge, from the inner top.
    const QImage arrow = LoadResourceBitmap(ClientBitmap::kComboArrow).toImage();
    ASSERT_FALSE(arrow.isNull());
    EXPECT_EQ(PixelAt(shot, 60 - 2 - 17 + 8, 2 + 11), QColor(arrow.pixel(8, 11)));
    // 23 of its 24 rows, even where the box is too low and they cover the frame.
    EXPECT_EQ(PixelAt(shot, 60 - 2 - 17 + 8, 22), QColor(arrow.pixel(8, 20)));
    EXPECT_EQ(PixelAt(shot, 60 - 2 - 17 + 8, 23), QColor(arrow.pixel(8, 21)));

    const QFontMetrics metrics(combo.font());
    const int expected = metrics.horizontalAdvance(QStringLiteral("서울특별시 아주 긴 선택지")) +
                         combo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &combo) +
                         metrics.horizontalAdvance(QLatin1Char('0'));
    EXPECT_EQ(combo.DroppedWidth(), expected);
    combo.showPopup();
    EXPECT_EQ(combo.view()->width(), expected);
    combo.hidePopup();
    // A box wider than its choices drops down a list as wide as itself.
    combo.resize(400, 24);
    combo.showPopup();
    EXPECT_EQ(combo.view()->window()->width(), 400);
    combo.hidePopup();

    CXComboBox empty;
    EXPECT_EQ(empty.DroppedWidth(), empty.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &empty) +
                                        QFontMetrics(empty.font()).horizontalAdvance(QLatin1Char('0')));
}
