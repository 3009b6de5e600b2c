#include "taskdialog/picture_list_qt.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "gif_builder.h"

namespace {

using kestrune::taskdialog::PictureLoadError;

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

void Load(TTagPicture& picture, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  picture.LoadFromStream(buffer);
}

std::string LoadError(const std::function<void()>& load) {
  try {
    load();
  } catch (const PictureLoadError& error) {
    return error.what();
  }
  return "no error";
}

TEST(TagPicture, EachFrameOfAGifIsShownOnItsOwn) {
  TTagPicture picture;
  int frameChanges = 0;
  picture.OnFrameChange = [&](TTagPicture&) { ++frameChanges; };
  Load(picture, Bytes(gif_builder::ThreeFrameGif()));
  EXPECT_EQ(picture.FrameCount(), 3);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(Qt::red));
  picture.SetFrame(2);
  EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(Qt::green));
  picture.SetFrame(3);
  EXPECT_EQ(picture.Image().pixelColor(3, 3), QColor(Qt::blue));
  EXPECT_EQ(picture.FrameRect(), QRect(2, 1, 2, 3));
  EXPECT_EQ(frameChanges, 2);
}

TEST(TagPicture, FrameOutsideTheGifLoadsNothingButKeepsTheBytes) {
  TTagPicture picture;
  const QByteArray gif = Bytes(gif_builder::ThreeFrameGif());
  Load(picture, gif);
  EXPECT_EQ(LoadError([&] { picture.SetFrame(4); }), "Could not load image");
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(picture.WriteData(), gif);
  picture.SetFrame(1);
  EXPECT_EQ(picture.Width(), 4);
}

TEST(TagPicture, BytesNoReaderKnowsAreAnInvalidFormat) {
  TTagPicture picture;
  EXPECT_EQ(LoadError([&] { Load(picture, QByteArray("not a picture at all")); }),
            "Could not load image. Invalid format");
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(LoadError([&] { Load(picture, QByteArray()); }), "Empty image stream created");
}

TEST(TagPicture, AssignCopiesBytesAndFrameAndNoneClears) {
  TTagPicture source;
  Load(source, Bytes(gif_builder::ThreeFrameGif()));
  source.SetFrame(2);
  TTagPicture copy;
  int changes = 0;
  copy.OnChange = [&](TTagPicture&) { ++changes; };
  copy.Assign(&source);
  EXPECT_EQ(copy.WriteData(), source.WriteData());
  EXPECT_EQ(copy.Image().pixelColor(0, 0), QColor(Qt::green));
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(copy.Width(), 0);
  EXPECT_EQ(changes, 2);
}

TEST(TagPicture, AddressesLoadFilesAndResourcesOnly) {
  QTemporaryDir dir;
  const QString path = dir.filePath("logo.gif");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(Bytes(gif_builder::MakeGif({{3}})));
  file.close();

  TTagPicture picture;
  picture.LoadFromAddress("FILE://" + path);
  EXPECT_EQ(picture.Image().pixelColor(1, 1), QColor(Qt::blue));

  TTagPicture missing;
  missing.LoadFromAddress("RES://no_such_picture");
  EXPECT_TRUE(missing.Empty());
  missing.LoadFromAddress("http://example.org/logo.gif");
  EXPECT_TRUE(missing.Empty());
  EXPECT_EQ(missing.Address(), "http://example.org/logo.gif");
  EXPECT_THROW(missing.LoadFromAddress("FILE://" + dir.filePath("gone.gif")), std::runtime_error);
}

}  // namespace
