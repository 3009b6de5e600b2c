#include "mainwindow/artwork_picture.h"

#include <Magick++.h>

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>

#include "catalogue/movie_header.h"

namespace {

// Beyond this many pixels (source or result) a picture is scaled by Qt: ImageMagick would spill its
// pixel cache to disk under Debian's resource policy and take seconds.
constexpr qint64 kMaxResampledPixels = 16LL * 1000 * 1000;

qint64 Pixels(QSize size) { return static_cast<qint64>(size.width()) * size.height(); }

MagickCore::FilterTypes FilterOf(ArtworkPicture::Kernel kernel) {
  switch (kernel) {
    case ArtworkPicture::Kernel::Box:
      return MagickCore::BoxFilter;
    case ArtworkPicture::Kernel::Mitchell:
      return MagickCore::MitchellFilter;
    case ArtworkPicture::Kernel::Linear:
      return MagickCore::TriangleFilter;
    case ArtworkPicture::Kernel::Spline:
      return MagickCore::SplineFilter;
    case ArtworkPicture::Kernel::Lanczos:
      break;
  }
  return MagickCore::LanczosFilter;
}

void InitializeMagickOnce() {
  static std::once_flag once;
  std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

QImage MagickResample(const QImage& image, QSize size, ArtworkPicture::Kernel kernel) {
  InitializeMagickOnce();
  const bool alpha = image.hasAlphaChannel();
  // 32-bit rows have no padding, so the pixels go to ImageMagick as one block.
  const QImage source = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
  Magick::Image magick(static_cast<std::size_t>(source.width()), static_cast<std::size_t>(source.height()),
                       alpha ? "RGBA" : "RGBP", MagickCore::CharPixel, source.constBits());
  magick.quiet(true);
  magick.filterType(FilterOf(kernel));
  Magick::Geometry geometry(static_cast<std::size_t>(size.width()), static_cast<std::size_t>(size.height()));
  geometry.aspect(true);
  magick.resize(geometry);
  QImage result(size, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
  magick.write(0, 0, static_cast<std::size_t>(size.width()), static_cast<std::size_t>(size.height()), "RGBA",
               MagickCore::CharPixel, result.bits());
  return result;
}

}  // namespace

QImage DecodeArtwork(const QByteArray& bytes, QString* why) {
  auto refuse = [why](const QString& reason) {
    if (why != nullptr) *why = reason;
    return QImage();
  };
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return refuse(QStringLiteral("not a picture, or its header gives no size"));
  if (Pixels(size) > kMaxArtworkPixels) {
    return refuse(
        QStringLiteral("%1 x %2 pixels is more than a picture pane shows").arg(size.width()).arg(size.height()));
  }
  // Checked once the size is known to be bounded: the data is bounded by that size.
  std::string surplus;
  if (!kestrune::catalogue::CheckPngData(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                         &surplus)) {
    return refuse(QString::fromStdString(surplus));
  }
  QImage image;
  // A truncated file decodes in part and fails: the part is not shown.
  if (!reader.read(&image) || image.isNull()) return refuse(reader.errorString());
  return image;
}

QImage ResampleArtwork(const QImage& image, QSize size, ArtworkPicture::Kernel kernel) {
  if (image.isNull() || size.isEmpty()) return QImage();
  if (Pixels(image.size()) <= kMaxResampledPixels && Pixels(size) <= kMaxResampledPixels) {
    try {
      return MagickResample(image, size, kernel);
    } catch (const std::exception& failure) {
      qWarning("kestrune: resampling a picture failed, scaling it plainly: %s", failure.what());
    }
  }
  return image.scaled(size, Qt::IgnoreAspectRatio,
                      kernel == ArtworkPicture::Kernel::Box ? Qt::FastTransformation : Qt::SmoothTransformation);
}

QImage BuiltInLogo() {
  QImage logo(320, 200, QImage::Format_RGB32);
  logo.fill(Qt::white);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient ground(0, 0, 0, 200);
  ground.setColorAt(0, QColor(0x1d, 0x35, 0x57));
  ground.setColorAt(1, QColor(0x45, 0x7b, 0x9d));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ground);
  painter.drawRoundedRect(QRectF(8, 8, 304, 184), 18, 18);
  // A kestrel's wings over the name.
  QPainterPath wings;
  wings.moveTo(160, 70);
  wings.cubicTo(130, 40, 95, 38, 70, 52);
  wings.cubicTo(100, 54, 125, 64, 160, 86);
  wings.cubicTo(195, 64, 220, 54, 250, 52);
  wings.cubicTo(225, 38, 190, 40, 160, 70);
  painter.setBrush(QColor(0xf4, 0xa2, 0x61));
  painter.drawPath(wings);
  QFont font = painter.font();
  font.setPixelSize(40);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(8, 92, 304, 50), Qt::AlignCenter, QStringLiteral("KESTRUNE"));
  font.setPixelSize(15);
  font.setBold(false);
  painter.setFont(font);
  painter.setPen(QColor(0xe9, 0xed, 0xf2));
  painter.drawText(QRectF(8, 140, 304, 30), Qt::AlignCenter, QStringLiteral("no picture for this game"));
  return logo;
}

ArtworkPicture::ArtworkPicture(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setMinimumSize(16, 16);
}

void ArtworkPicture::Invalidate() {
  displayedValid_ = false;
  update();
}

void ArtworkPicture::SetImage(const QImage& image) {
  image_ = image;
  Invalidate();
}

void ArtworkPicture::SetKernel(Kernel kernel) {
  if (kernel_ == kernel) return;
  kernel_ = kernel;
  Invalidate();
}

void ArtworkPicture::SetResizeMode(bool on) {
  if (resizeMode_ == on) return;
  resizeMode_ = on;
  Invalidate();
}

void ArtworkPicture::SetZoom(double zoom) {
  if (zoom_ == zoom || !(zoom > 0)) return;
  zoom_ = zoom;
  Invalidate();
}

QSize ArtworkPicture::DrawnSize() const {
  if (image_.isNull()) return QSize();
  QSizeF drawn = image_.size();
  if (resizeMode_) {
    drawn.scale(QSizeF(size()), Qt::KeepAspectRatio);
  } else {
    drawn *= zoom_;
  }
  return QSize(std::max(1, static_cast<int>(std::lround(drawn.width()))),
               std::max(1, static_cast<int>(std::lround(drawn.height()))));
}

const QImage& ArtworkPicture::Displayed() {
  const qreal ratio = devicePixelRatioF();
  const QSize target = DrawnSize() * ratio;
  if (displayedValid_ && displayed_.size() == target) return displayed_;
  displayedValid_ = true;
  if (image_.isNull() || Pixels(target) > kMaxResampledPixels) {
    // Far larger than any screen: painted straight from the picture, never made whole.
    displayed_ = QImage();
    return displayed_;
  }
  displayed_ = target == image_.size() ? image_ : ResampleArtwork(image_, target, kernel_);
  displayed_.setDevicePixelRatio(ratio);
  return displayed_;
}

void ArtworkPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (image_.isNull()) return;
  const QSize drawn = DrawnSize();
  const QRectF target((width() - drawn.width()) / 2.0, (height() - drawn.height()) / 2.0, drawn.width(),
                      drawn.height());
  const QImage& shown = Displayed();
  if (shown.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, kernel_ != Kernel::Box);
    painter.drawImage(target, image_);
    return;
  }
  painter.drawImage(target.topLeft(), shown);
}

void ArtworkPicture::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  emit mouseEntered();
}

void ArtworkPicture::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resizeMode_) Invalidate();
}
