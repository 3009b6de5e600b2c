#include "mainwindow/artwork_picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <ostream>
#include <vector>

namespace {

QByteArray PngOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

QImage Filled(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

void PutBe32(QByteArray& bytes, int at, quint32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// The PNG with the size in its header changed, and the header's CRC made right again.
QByteArray WithHeaderSize(QByteArray png, quint32 width, quint32 height) {
  PutBe32(png, 16, width);
  PutBe32(png, 20, height);
  PutBe32(png, 29, crc32(0, reinterpret_cast<const Bytef*>(png.constData() + 12), 17));
  return png;
}

QByteArray Chunk(const char* type, const QByteArray& data) {
  QByteArray chunk(4, '\0');
  PutBe32(chunk, 0, static_cast<quint32>(data.size()));
  const QByteArray typed = QByteArray(type, 4) + data;
  QByteArray crc(4, '\0');
  PutBe32(crc, 0, crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), static_cast<uInt>(typed.size())));
  return chunk + typed + crc;
}

// A red 64 x 48 RGB PNG written by hand, its image data followed inside the deflate stream by
// `surplus` zero bytes (16 MB of them deflate to about 16 KB).
QByteArray RedPngWithSurplus(qsizetype surplus) {
  constexpr int kWidth = 64, kHeight = 48;
  QByteArray header(13, '\0');
  PutBe32(header, 0, kWidth);
  PutBe32(header, 4, kHeight);
  header[8] = 8;  // bits per sample
  header[9] = 2;  // RGB
  QByteArray raw;
  for (int y = 0; y < kHeight; ++y) raw += '\0' + QByteArray("\xff\x00\x00", 3).repeated(kWidth);
  raw += QByteArray(surplus, '\0');
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  QByteArray packed(static_cast<qsizetype>(size), '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
           static_cast<uLong>(raw.size()));
  packed.resize(static_cast<qsizetype>(size));
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", packed) + Chunk("IEND", {});
}

struct DecodeCase {
  const char* label;
  std::function<QByteArray()> bytes;
  bool decodes;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.label; }

class DecodeArtworkTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeArtworkTest, RefusesDamagedAndHostilePictures) {
  QString why;
  const QImage image = DecodeArtwork(GetParam().bytes(), &why);
  EXPECT_EQ(!image.isNull(), GetParam().decodes) << why.toStdString();
  EXPECT_EQ(why.isEmpty(), GetParam().decodes);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DecodeArtworkTest,
    ::testing::Values(DecodeCase{"APlainPng", [] { return PngOf(Filled(64, 48, Qt::red)); }, true},
                      DecodeCase{"ATruncatedPng",
                                 [] {
                                   QByteArray png = PngOf(Filled(64, 48, Qt::red));
                                   return png.left(png.size() / 2);
                                 },
                                 false},
                      DecodeCase{"AHeaderOf30000By30000",
                                 [] { return WithHeaderSize(PngOf(Filled(64, 48, Qt::red)), 30000, 30000); }, false},
                      DecodeCase{"AHeaderOfZeroWidth",
                                 [] { return WithHeaderSize(PngOf(Filled(64, 48, Qt::red)), 0, 48); }, false},
                      DecodeCase{"AHandMadePng", [] { return RedPngWithSurplus(0); }, true},
                      DecodeCase{"APngWithSixteenMegabytesOfSurplusData",
                                 [] { return RedPngWithSurplus(qsizetype{16} << 20); }, false},
                      DecodeCase{"NotAPicture", [] { return QByteArray("$info=pacman,\n"); }, false},
                      DecodeCase{"NoBytes", [] { return QByteArray(); }, false}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.label); });

// ---- The kernels against a resampler written from their textbook definitions ----

using Kernel = ArtworkPicture::Kernel;

double Sinc(double x) { return x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x); }

double CubicBC(double x, double b, double c) {
  x = std::abs(x);
  if (x < 1) return ((12 - 9 * b - 6 * c) * x * x * x + (-18 + 12 * b + 6 * c) * x * x + (6 - 2 * b)) / 6;
  if (x < 2)
    return ((-b - 6 * c) * x * x * x + (6 * b + 30 * c) * x * x + (-12 * b - 48 * c) * x + (8 * b + 24 * c)) / 6;
  return 0;
}

struct KernelCase {
  const char* label;
  Kernel kernel;
  double support;
  std::function<double(double)> weight;
};

void PrintTo(const KernelCase& c, std::ostream* out) { *out << c.label; }

// One row resampled to `width`: each output pixel is the normalised weighted sum of the source pixels
// under the kernel centred on it, the kernel widened by the reduction when shrinking.
std::vector<double> ReferenceRow(const std::vector<double>& row, int width, const KernelCase& k) {
  const double factor = static_cast<double>(width) / row.size();
  const double widen = std::max(1.0 / factor, 1.0);
  const double support = std::max(k.support * widen, 0.5);
  std::vector<double> out;
  for (int x = 0; x < width; ++x) {
    const double centre = (x + 0.5) / factor;
    const int start = static_cast<int>(std::max(centre - support + 0.5, 0.0));
    const int stop = static_cast<int>(std::min(centre + support + 0.5, static_cast<double>(row.size())));
    double sum = 0;
    double density = 0;
    for (int n = start; n < stop; ++n) {
      const double w = k.weight((n - centre + 0.5) / widen);
      sum += w * row[static_cast<std::size_t>(n)];
      density += w;
    }
    out.push_back(std::clamp(sum / density, 0.0, 255.0));
  }
  return out;
}

class ResampleArtworkTest : public ::testing::TestWithParam<KernelCase> {};

TEST_P(ResampleArtworkTest, MatchesTheKernelsDefinition) {
  const std::vector<double> row = {0, 0, 255, 255, 0, 64, 192, 255, 30, 220};
  QImage source(static_cast<int>(row.size()), 1, QImage::Format_RGB32);
  for (int x = 0; x < source.width(); ++x) {
    const int v = static_cast<int>(row[static_cast<std::size_t>(x)]);
    source.setPixel(x, 0, qRgb(v, v, v));
  }
  for (int width : {23, 7, 4}) {
    const QImage resampled = ResampleArtwork(source, QSize(width, 1), GetParam().kernel);
    ASSERT_EQ(resampled.size(), QSize(width, 1));
    const std::vector<double> expected = ReferenceRow(row, width, GetParam());
    for (int x = 0; x < width; ++x) {
      EXPECT_NEAR(qRed(resampled.pixel(x, 0)), expected[static_cast<std::size_t>(x)], 1.5)
          << "width " << width << ", pixel " << x;
      EXPECT_EQ(qRed(resampled.pixel(x, 0)), qBlue(resampled.pixel(x, 0)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, ResampleArtworkTest,
    ::testing::Values(
        KernelCase{"Lanczos", Kernel::Lanczos, 3, [](double x) { return std::abs(x) < 3 ? Sinc(x) * Sinc(x / 3) : 0; }},
        KernelCase{"Box", Kernel::Box, 0.5, [](double) { return 1.0; }},
        KernelCase{"Mitchell", Kernel::Mitchell, 2, [](double x) { return CubicBC(x, 1.0 / 3, 1.0 / 3); }},
        KernelCase{"Linear", Kernel::Linear, 1, [](double x) { return std::max(0.0, 1 - std::abs(x)); }},
        KernelCase{"Spline", Kernel::Spline, 2, [](double x) { return CubicBC(x, 1, 0); }}),
    [](const ::testing::TestParamInfo<KernelCase>& info) { return std::string(info.param.label); });

TEST(ResampleArtwork, KeepsTransparency) {
  QImage source(4, 4, QImage::Format_ARGB32);
  source.fill(QColor(255, 0, 0, 0));
  const QImage resampled = ResampleArtwork(source, QSize(9, 9), Kernel::Mitchell);
  EXPECT_EQ(qAlpha(resampled.pixel(4, 4)), 0);
}

TEST(ArtworkPicture, FitsThePaneOrDrawsAtItsZoom) {
  ArtworkPicture picture("snap");
  picture.resize(200, 300);
  picture.SetImage(Filled(40, 30, Qt::blue));
  picture.SetResizeMode(true);
  EXPECT_EQ(picture.DrawnSize(), QSize(200, 150));
  EXPECT_EQ(picture.Displayed().size(), QSize(200, 150));
  picture.SetResizeMode(false);
  picture.SetZoom(2.5);
  EXPECT_EQ(picture.DrawnSize(), QSize(100, 75));
  EXPECT_EQ(picture.Displayed().size(), QSize(100, 75));
  EXPECT_EQ(picture.Displayed().pixel(50, 37), QColor(Qt::blue).rgb());
  // A zoom that would make a picture larger than any screen is painted without making it whole.
  picture.SetImage(Filled(5000, 4000, Qt::blue));
  EXPECT_TRUE(picture.Displayed().isNull());
}

}  // namespace
