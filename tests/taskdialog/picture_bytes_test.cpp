#include "taskdialog/picture_bytes.h"

#include <gtest/gtest.h>

#include "gif_builder.h"
#include "taskdialog/named_list.h"

namespace {

using namespace kestrune::taskdialog;
using Bytes = std::vector<std::uint8_t>;

// The bytes between the start of a frame and the end, as the loader must get them.
Bytes Tail(const Bytes& bytes, std::size_t from) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

TEST(GifFrames, ThreeFrameGifHasItsFramesAndRectangles) {
  PictureBytes picture;
  picture.Assign(gif_builder::ThreeFrameGif());
  EXPECT_EQ(picture.FrameCount(), 3);
  EXPECT_EQ(picture.ScreenWidth(), 4);
  EXPECT_EQ(picture.ScreenHeight(), 4);
  EXPECT_EQ(picture.FrameRect(1), (GifFrameRect{0, 0, 4, 4}));
  EXPECT_EQ(picture.FrameRect(3), (GifFrameRect{2, 1, 2, 3}));
  EXPECT_EQ(picture.FrameRect(4), GifFrameRect{});
}

TEST(GifFrames, FrameTwoLeavesOutFrameOneOnly) {
  const Bytes gif = gif_builder::ThreeFrameGif();
  const GifScan scan = ScanGif(gif);
  ASSERT_EQ(scan.frameStarts.size(), 3u);
  PictureBytes picture;
  picture.Assign(gif);
  const Bytes spliced = picture.LoaderBytes(2);
  Bytes expected(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(scan.frameStarts[0]));
  const Bytes tail = Tail(gif, scan.frameStarts[1]);
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(spliced, expected);
  EXPECT_EQ(ScanGif(spliced).frameStarts.size(), 2u);
  EXPECT_EQ(picture.LoaderBytes(1), gif);
}

std::string LoadError(const PictureBytes& picture, int frame) {
  try {
    picture.LoaderBytes(frame);
  } catch (const PictureLoadError& error) {
    return error.what();
  }
  return "loaded";
}

TEST(GifFrames, FrameOutsideTheCountLoadsNothing) {
  PictureBytes picture;
  picture.Assign(gif_builder::ThreeFrameGif());
  for (int frame : {0, -1, 4}) EXPECT_EQ(LoadError(picture, frame), "Could not load image") << frame;
}

TEST(GifFrames, CountFollowsNewBytes) {
  PictureBytes picture;
  picture.Assign(gif_builder::ThreeFrameGif());
  ASSERT_EQ(picture.FrameCount(), 3);
  picture.Assign(gif_builder::MakeGif({{1}}));
  EXPECT_EQ(picture.FrameCount(), 1);
  EXPECT_EQ(LoadError(picture, 2), "Could not load image");
  picture.Clear();
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.FrameCount(), -1);
  EXPECT_EQ(LoadError(picture, 1), "Empty image stream created");
}

struct DamagedCase {
  const char* name;
  Bytes bytes;
  int frameCount;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

class GifDamaged : public ::testing::TestWithParam<DamagedCase> {};

// Every damaged file still loads whole (any frame number) unless it holds frames.
TEST_P(GifDamaged, CountsOnlyWholeFrameStarts) {
  PictureBytes picture;
  picture.Assign(GetParam().bytes);
  EXPECT_EQ(picture.FrameCount(), GetParam().frameCount);
  if (GetParam().frameCount <= 0) {
    EXPECT_EQ(picture.LoaderBytes(7), GetParam().bytes);
  }
}

Bytes Gif(std::initializer_list<std::uint8_t> tail) {
  Bytes bytes = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0};
  bytes.insert(bytes.end(), tail);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, GifDamaged,
    ::testing::Values(DamagedCase{"FourBytesAreNoGif", {'G', 'I', 'F', '8'}, -1},
                      DamagedCase{"FiveBytesAreAGifWithoutFrames", {'G', 'I', 'F', '8', '7'}, 0},
                      DamagedCase{"Png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, -1},
                      DamagedCase{"ExtensionWithoutDescriptor", Gif({0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x3B, 0}), 0},
                      DamagedCase{"SeparatorAsLastByte", Gif({0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x2C}), 1},
                      DamagedCase{"TruncatedDescriptor", Gif({0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x2C, 1}), 1},
                      DamagedCase{"WrongExtensionSize", Gif({0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0x2C, 1, 0}), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifFrames, TruncatedDescriptorReadsAsZero) {
  PictureBytes picture;
  picture.Assign(Gif({0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x2C, 1}));
  EXPECT_EQ(picture.FrameRect(1), GifFrameRect{});
  EXPECT_EQ(picture.LoaderBytes(1).size(), picture.Bytes().size());
}

TEST(PictureAddress, PrefixesChooseWhereToLoadFrom) {
  EXPECT_EQ(ParsePictureAddress("RES://TD_SHIELD"), (PictureAddress{PictureAddress::kResource, "TD_SHIELD"}));
  EXPECT_EQ(ParsePictureAddress("file:///tmp/a.gif"), (PictureAddress{PictureAddress::kFile, "/tmp/a.gif"}));
  EXPECT_EQ(ParsePictureAddress("http://example.org/a.gif"),
            (PictureAddress{PictureAddress::kOther, "http://example.org/a.gif"}));
  EXPECT_EQ(ParsePictureAddress("RES:/x").kind, PictureAddress::kOther);
}

struct Named {
  std::string name;
  const std::string& Name() const { return name; }
};

TEST(NamedList, FindsTheFirstOfEqualNamesAndKeepsAddresses) {
  NamedList<Named> list;
  Named& first = list.Add();
  first.name = "logo";
  list.Add().name = "logo";
  for (int i = 0; i < 100; ++i) list.Add().name = "x";
  EXPECT_EQ(list.Find(std::string("logo")), &first);
  EXPECT_EQ(list.Find(std::string("Logo")), nullptr);
  EXPECT_EQ(list.At(0), &first);
  EXPECT_EQ(list.At(102), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);
  EXPECT_EQ(list.Count(), 102);
}

}  // namespace
