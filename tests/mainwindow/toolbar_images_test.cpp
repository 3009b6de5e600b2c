#include "mainwindow/toolbar_images.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <set>
#include <string>

namespace {

constexpr int kListSizes[] = {16, 32};

bool HasVisiblePixel(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) != 0) {
        return true;
      }
    }
  }
  return false;
}

void ExpectDrawnAtListSizes(const QIcon& icon, const QString& what) {
  ASSERT_FALSE(icon.isNull()) << what.toStdString();
  for (const int size : kListSizes) {
    EXPECT_TRUE(HasVisiblePixel(icon.pixmap(QSize(size, size), 1.0))) << what.toStdString() << " at " << size;
  }
}

QImage At(const QIcon& icon, int size) {
  return icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

QIcon Solid(int size, Qt::GlobalColor color) {
  QPixmap pixmap(size, size);
  pixmap.fill(color);
  return QIcon(pixmap);
}

TEST(ToolbarImages, EveryImageAndOwnSvgImageDrawsAtBothListSizes) {
  const ToolbarImages images;
  for (int i = 0; i < ToolbarImages::kCount; ++i) {
    ExpectDrawnAtListSizes(images.Image(i), QStringLiteral("image %1").arg(i));
  }
  for (int i = 0; i < 3; ++i) {
    ExpectDrawnAtListSizes(images.StateImage(i), QStringLiteral("state image %1").arg(i));
  }
  EXPECT_TRUE(images.Image(-1).isNull());
  EXPECT_TRUE(images.Image(ToolbarImages::kCount).isNull());
  EXPECT_TRUE(images.StateImage(3).isNull());

  // A desktop theme may stand in front of some of them: each file of our own must draw by itself,
  // which proves Qt's SVG support is there at run time.
  const QStringList own = QDir(QStringLiteral(":/toolbar")).entryList({QStringLiteral("*.svg")});
  EXPECT_EQ(own.size(), ToolbarImages::kCount + 2);
  for (const QString& name : own) {
    ExpectDrawnAtListSizes(QIcon(QStringLiteral(":/toolbar/") + name), name);
  }
}

TEST(ToolbarImages, SkinNamesAreTheImageListEntriesInIndexOrder) {
  const auto& names = ToolbarImages::SkinNames();
  std::set<std::string> unique;
  for (const char* name : names) {
    const std::string text = name;
    EXPECT_TRUE(text.size() > 4 && text.ends_with(".ico")) << text;
    unique.insert(text);
  }
  EXPECT_EQ(unique.size(), names.size());
  EXPECT_STREQ(names[ToolbarImages::kOptions], "options.ico");
  EXPECT_STREQ(names[ToolbarImages::kFilterRoms], "filter_roms.ico");
  EXPECT_STREQ(names[ToolbarImages::kIcons], "icons.ico");
  EXPECT_STREQ(names[ToolbarImages::kGameDetails], "game_details.ico");
  EXPECT_STREQ(names[ToolbarImages::kCount - 1], "filter_horizontal.ico");
}

TEST(ToolbarImages, ReplaceTakesTheSkinImageAtOneSizeAndKeepsTheOther) {
  ToolbarImages images;
  int changes = 0;
  QObject::connect(&images, &ToolbarImages::changed, [&changes] { ++changes; });
  const QImage small_before = At(images.Image(ToolbarImages::kRun), 16);

  // A skin whose 32-pixel entry holds only a 16-pixel image: the list stretches it.
  images.Replace(ToolbarImages::kRun, true, Solid(16, Qt::magenta));
  EXPECT_EQ(changes, 1);
  QImage big = At(images.Image(ToolbarImages::kRun), 32);
  EXPECT_EQ(big.size(), QSize(32, 32));
  EXPECT_EQ(QColor(big.pixel(16, 16)), QColor(Qt::magenta));
  EXPECT_EQ(At(images.Image(ToolbarImages::kRun), 16), small_before);

  images.Replace(ToolbarImages::kRun, false, Solid(16, Qt::green));
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(QColor(At(images.Image(ToolbarImages::kRun), 16).pixel(8, 8)), QColor(Qt::green));
  EXPECT_EQ(QColor(At(images.Image(ToolbarImages::kRun), 32).pixel(16, 16)), QColor(Qt::magenta));

  // A bad entry or index leaves everything as it was.
  images.Replace(ToolbarImages::kRun, true, QIcon());
  images.Replace(ToolbarImages::kCount, true, Solid(32, Qt::red));
  images.ReplaceState(3, Solid(16, Qt::red));
  images.ReplaceState(0, QIcon());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(QColor(At(images.Image(ToolbarImages::kRun), 32).pixel(16, 16)), QColor(Qt::magenta));

  const QImage working_before = At(images.StateImage(0), 16);
  images.ReplaceState(2, Solid(16, Qt::blue));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(QColor(At(images.StateImage(2), 16).pixel(8, 8)), QColor(Qt::blue));
  EXPECT_EQ(At(images.StateImage(0), 16), working_before);
}

}  // namespace
