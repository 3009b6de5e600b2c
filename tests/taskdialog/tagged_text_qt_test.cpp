#include "taskdialog/tagged_text_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>

#include "gif_builder.h"

namespace {

constexpr QPoint kOrigin(5, 7);
constexpr int kCanvasWidth = 400;

struct Drawn {
  QImage image;
  TaggedTextResult result;
};

QFont TestFont() {
  QFont font = QApplication::font();
  font.setPointSize(12);
  return font;
}

Drawn Draw(const QString& text, const TaggedTextOptions& options = {}, int width = 300) {
  Drawn drawn{QImage(kCanvasWidth, 200, QImage::Format_RGB32), {}};
  drawn.image.fill(Qt::white);
  QPainter painter(&drawn.image);
  drawn.result = HTMLDrawEx(&painter, text, QRect(kOrigin, QSize(width, 150)), TestFont(), options);
  return drawn;
}

// The smallest rectangle holding every pixel that is not white.
QRect InkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

int CountPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += wanted(image.pixelColor(x, y)) ? 1 : 0;
  }
  return count;
}

bool Reddish(QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }

TEST(TaggedTextDrawing, AmpersandEntityDrawsOneAmpersand) {
  const Drawn entity = Draw("Tom &amp; Jerry");
  EXPECT_EQ(entity.image, Draw("Tom & Jerry").image);
  EXPECT_NE(entity.image, Draw("Tom && Jerry").image);
  EXPECT_EQ(entity.result.size.width(), QFontMetrics(TestFont(), &entity.image).horizontalAdvance("Tom & Jerry"));
}

TEST(TaggedTextDrawing, CrLfDrawsTwoLines) {
  const Drawn drawn = Draw("first\r\nsecond");
  const QFontMetrics fm(TestFont(), &drawn.image);
  EXPECT_EQ(drawn.result.size.height(), 2 * fm.height());
  const QRect ink = InkBox(drawn.image);
  EXPECT_LT(ink.top(), kOrigin.y() + fm.height());
  EXPECT_GE(ink.bottom(), kOrigin.y() + fm.height() + fm.ascent() / 2);
}

TEST(TaggedTextDrawing, FontColourHexDrawsRed) {
  EXPECT_GT(CountPixels(Draw("<FONT color=#FF0000>red</FONT>").image, Reddish), 10);
  EXPECT_EQ(CountPixels(Draw("<FONT color=#00FF00>green</FONT>").image, Reddish), 0);
  EXPECT_GT(CountPixels(Draw("<FONT color=clRed>red</FONT>").image, Reddish), 10);
}

TEST(TaggedTextDrawing, LinksAreBlueAndUnderlinedAcrossTheirWidth) {
  const Drawn drawn = Draw("<A href=\"https://example.org\">link text</A>");
  const QFontMetrics fm(TestFont(), &drawn.image);
  const int underline = kOrigin.y() + fm.ascent() + fm.underlinePos();
  const int width = fm.horizontalAdvance("link text");
  for (int x = kOrigin.x(); x < kOrigin.x() + width; ++x) {
    ASSERT_EQ(drawn.image.pixelColor(x, underline), QColor(0, 0, 255)) << "x " << x;
  }
  EXPECT_EQ(drawn.image.pixelColor(kOrigin.x() + width, underline), QColor(Qt::white));
  EXPECT_EQ(CountPixels(drawn.image, [](QColor c) { return c.blue() < c.red() || c.blue() < c.green(); }), 0);
  EXPECT_EQ(drawn.result.linkCount, 1);
}

TEST(TaggedTextDrawing, MeasuredSizeIsTheDrawnBox) {
  const QString text = "<HI>highlighted <B>bold</B> and <FONT size=5>large</FONT></HI>";
  const Drawn drawn = Draw(text);
  const TaggedTextResult measured = HTMLDrawEx(nullptr, text, QRect(kOrigin, QSize(300, 150)), TestFont());
  EXPECT_EQ(measured.size, drawn.result.size);
  EXPECT_EQ(InkBox(drawn.image), QRect(kOrigin, drawn.result.size));
}

TEST(TaggedTextDrawing, MouseFindsTheLinkItIsOver) {
  const QString text = "see <A href=\"mailto:a@b.org\">mail</A> now";
  const QFontMetrics fm(TestFont());
  TaggedTextOptions options;
  options.mouse = kOrigin + QPoint(fm.horizontalAdvance("see ") + 2, fm.ascent() / 2);
  options.focusLink = 0;
  const TaggedTextResult hit = HTMLDrawEx(nullptr, text, QRect(kOrigin, QSize(300, 50)), TestFont(), options);
  EXPECT_TRUE(hit.overLink);
  EXPECT_EQ(hit.href, "mailto:a@b.org");
  EXPECT_EQ(hit.linkText, "mail");
  EXPECT_EQ(hit.focusRect,
            QRect(kOrigin + QPoint(fm.horizontalAdvance("see "), 0), QSize(fm.horizontalAdvance("mail"), fm.height())));
  options.mouse = kOrigin + QPoint(1, fm.ascent() / 2);
  EXPECT_FALSE(HTMLDrawEx(nullptr, text, QRect(kOrigin, QSize(300, 50)), TestFont(), options).overLink);
}

TEST(TaggedTextDrawing, PicturesComeFromTheListAndTheImageList) {
  TPictureList pictures;
  TTagPicture& logo = pictures.Add();
  logo.SetName("logo");
  const std::vector<std::uint8_t> gif = gif_builder::MakeGif({{1}});
  logo.ReadData(QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<qsizetype>(gif.size())));
  QPixmap blue(6, 6);
  blue.fill(Qt::blue);
  const QList<QPixmap> images{blue};
  TaggedTextOptions options;
  options.pictures = &pictures;
  options.imageList = &images;
  options.zoom = 2;
  const Drawn drawn = Draw("<IMG src=logo><IMG src=\"IDX:0\"><IMG src=gone alt=x>", options);
  // Zoomed twice, 8 and 12 pixels square, standing on the baseline.
  const QFontMetrics fm(TestFont(), &drawn.image);
  const int baseline = kOrigin.y() + std::max(12, fm.ascent());
  EXPECT_EQ(drawn.image.pixelColor(kOrigin.x() + 7, baseline - 8), QColor(Qt::red));
  EXPECT_EQ(drawn.image.pixelColor(kOrigin.x() + 7, baseline - 9), QColor(Qt::white));
  EXPECT_EQ(drawn.image.pixelColor(kOrigin.x() + 19, baseline - 1), QColor(Qt::blue));
  EXPECT_EQ(drawn.result.size.width(), 20 + fm.horizontalAdvance("x"));
}

TEST(TaggedTextDrawing, SystemColourNamesFollowThePalette) {
  QPalette palette;
  palette.setColor(QPalette::Button, QColor(1, 2, 3));
  palette.setColor(QPalette::ToolTipBase, QColor(4, 5, 6));
  using kestrune::taskdialog::ParseTagColour;
  EXPECT_EQ(ToQColor(ParseTagColour(u"clBtnFace"), palette), QColor(1, 2, 3));
  EXPECT_EQ(ToQColor(ParseTagColour(u"clInfoBk"), palette), QColor(4, 5, 6));
  EXPECT_EQ(ToQColor(ParseTagColour(u"#102030"), palette), QColor(0x10, 0x20, 0x30));
}

}  // namespace
