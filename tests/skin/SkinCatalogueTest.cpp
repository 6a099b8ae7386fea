#include "skin/SkinCatalogue.h"

#include "support/TempDir.h"

#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

// A program folder whose images/ holds the named files as small bitmaps.
void WriteBitmaps(const TempDir& dir, const std::vector<std::string>& names) {
    std::filesystem::create_directories(dir.Path() / "images");
    for (const auto& name : names) {
        QImage img(4, 3, QImage::Format_RGB32);
        img.fill(Qt::red);
        ASSERT_TRUE(img.save(QString::fromStdString((dir.Path() / "images" / name).string()), "BMP"));
    }
}

struct Recorder {
    std::vector<std::string> missing;
    SkinCatalogue::MissingReporter Reporter() {
        return [this](const std::string& name) { missing.push_back(name); };
    }
};

} // namespace

TEST(SkinCatalogue, ListsTheSixtyNineSkinFilesOnce) {
    const auto files = SkinCatalogue::SkinFiles();
    EXPECT_EQ(files.size(), 69u);
    std::set<std::string> unique(files.begin(), files.end());
    EXPECT_EQ(unique.size(), 69u);
    EXPECT_STREQ(files.front(), "title.bmp");
    EXPECT_STREQ(files.back(), "Histroy_UserTab_s.bmp");
}

TEST(SkinCatalogue, HandsOutTheSameBitmapEveryTimeAndNeverReloads) {
    TempDir dir;
    WriteBitmaps(dir, {"btn_back.bmp"});
    Recorder rec;
    SkinCatalogue catalogue(dir.Str(), rec.Reporter());
    EXPECT_EQ(catalogue.ImagesFolder(), dir.Str() + "/images/");

    const QPixmap* first = catalogue.GetImage("btn_back.bmp");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), QSize(4, 3));
    // Replacing the file while running has no effect: the loaded bitmap stays.
    std::filesystem::remove(dir.Path() / "images" / "btn_back.bmp");
    EXPECT_EQ(catalogue.GetImage("btn_back.bmp"), first);
    EXPECT_TRUE(rec.missing.empty());
}

TEST(SkinCatalogue, ReportsAMissingFileOnEveryRequestUntilItAppears) {
    TempDir dir;
    Recorder rec;
    SkinCatalogue catalogue(dir.Str(), rec.Reporter());
    EXPECT_TRUE(rec.missing.empty()); // nothing is said at start

    EXPECT_EQ(catalogue.GetImage("main_bg.bmp"), nullptr);
    EXPECT_EQ(catalogue.GetImage("main_bg.bmp"), nullptr);
    EXPECT_EQ(rec.missing, (std::vector<std::string>{"main_bg.bmp", "main_bg.bmp"}));

    // Once the file is there, the next request loads it and keeps it.
    WriteBitmaps(dir, {"main_bg.bmp"});
    const QPixmap* loaded = catalogue.GetImage("main_bg.bmp");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(catalogue.GetImage("main_bg.bmp"), loaded);
    EXPECT_EQ(rec.missing.size(), 2u);
}

TEST(SkinCatalogue, LoadsANameOutsideTheListOnFirstRequestAndKeepsIt) {
    TempDir dir;
    WriteBitmaps(dir, {"extra.bmp"});
    Recorder rec;
    SkinCatalogue catalogue(dir.Str() + "/", rec.Reporter());
    EXPECT_EQ(catalogue.ImagesFolder(), dir.Str() + "/images/");
    const QPixmap* extra = catalogue.GetImage("extra.bmp");
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(catalogue.GetImage("extra.bmp"), extra);
    EXPECT_TRUE(rec.missing.empty());
}

TEST(SkinCatalogue, AFileThatIsNoBitmapCountsAsMissing) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "images");
    dir.Write("images/title.bmp", "not a bitmap");
    Recorder rec;
    SkinCatalogue catalogue(dir.Str(), rec.Reporter());
    EXPECT_EQ(catalogue.GetImage("title.bmp"), nullptr);
    EXPECT_EQ(rec.missing, std::vector<std::string>{"title.bmp"});
}

// The painted skin of the program folder: every listed file exists at a size the windows can use.
TEST(SkinCatalogue, ThePaintedSkinHasEveryFile) {
    const std::filesystem::path dist = HALVREN_DIST_DIR;
    if (!std::filesystem::exists(dist / "images" / "main_bg.bmp")) {
        GTEST_SKIP() << "the skin has not been painted into " << dist;
    }
    Recorder rec;
    SkinCatalogue catalogue(dist.string(), rec.Reporter());
    for (const char* name : SkinCatalogue::SkinFiles()) {
        EXPECT_NE(catalogue.GetImage(name), nullptr) << name;
    }
    EXPECT_TRUE(rec.missing.empty());
    EXPECT_EQ(catalogue.GetImage("main_bg.bmp")->size(), QSize(1024, 750));
    EXPECT_EQ(catalogue.GetImage("menu_bar.bmp")->size(), QSize(1024, 125));
    EXPECT_EQ(catalogue.GetImage("title.bmp")->size(), QSize(95, 27));
    for (const char* page : {"SendCall_BG.bmp", "UserInfo_BG.bmp", "History_BG.bmp"}) {
        EXPECT_EQ(catalogue.GetImage(page)->size(), QSize(988, 537)) << page;
    }
}
