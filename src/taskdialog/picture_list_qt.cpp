#include "taskdialog/picture_list_qt.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <stdexcept>

namespace kt = kestrune::taskdialog;

namespace {

std::vector<std::uint8_t> ToVector(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  return std::vector<std::uint8_t>(data, data + bytes.size());
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

void TTagPicture::Assign(const TTagPicture* source) {
  if (!source || source->Empty()) {
    bytes_.Clear();
    image_ = QImage();
    Changed();
    return;
  }
  if (source == this) return;
  frame_ = source->frame_;
  TakeBytes(source->WriteData());
  Changed();
}

void TTagPicture::LoadFromStream(QIODevice& stream) {
  TakeBytes(stream.readAll());
  Changed();
}

void TTagPicture::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error(
        QStringLiteral("Cannot open picture \"%1\": %2").arg(fileName, file.errorString()).toStdString());
  }
  LoadFromStream(file);
}

void TTagPicture::LoadFromAddress(const QString& address) {
  address_ = address;
  const kt::PictureAddress parsed = kt::ParsePictureAddress(address.toStdString());
  if (parsed.kind == kt::PictureAddress::kFile) {
    LoadFromFile(QString::fromStdString(parsed.target));
  } else if (parsed.kind == kt::PictureAddress::kResource) {
    QFile resource(QStringLiteral(":/") + QString::fromStdString(parsed.target));
    if (resource.open(QIODevice::ReadOnly)) LoadFromStream(resource);
  }
}

void TTagPicture::ReadData(const QByteArray& bytes) { TakeBytes(bytes); }

QByteArray TTagPicture::WriteData() const { return ToByteArray(bytes_.Bytes()); }

void TTagPicture::SaveToStream(QIODevice& stream) const { stream.write(WriteData()); }

void TTagPicture::SetFrame(int value) {
  frame_ = value;
  if (Empty()) return;
  LoadImage();
  if (OnFrameChange) OnFrameChange(*this);
}

QRect TTagPicture::FrameRect() const {
  const kt::GifFrameRect rect = bytes_.FrameRect(frame_);
  return {rect.left, rect.top, rect.width, rect.height};
}

void TTagPicture::Draw(QPainter& painter, const QRect& rect) const {
  if (image_.isNull()) return;
  if (stretch_) {
    painter.drawImage(rect, image_);
  } else {
    painter.drawImage(rect.topLeft(), image_);
  }
}

void TTagPicture::TakeBytes(const QByteArray& bytes) {
  try {
    bytes_.Assign(ToVector(bytes));
  } catch (const std::bad_alloc&) {
    throw kt::PictureLoadError(kt::PictureError::kAllocate);
  }
  LoadImage();
}

void TTagPicture::LoadImage() {
  image_ = QImage();
  QByteArray data = ToByteArray(bytes_.LoaderBytes(frame_));
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) throw kt::PictureLoadError(kt::PictureError::kCreateStream);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) {
    const bool badFormat =
        reader.error() == QImageReader::UnsupportedFormatError || reader.error() == QImageReader::InvalidDataError;
    throw kt::PictureLoadError(badFormat ? kt::PictureError::kInvalidFormat : kt::PictureError::kNotLoaded);
  }
  image_ = std::move(image);
}

void TTagPicture::Changed() {
  if (OnChange) OnChange(*this);
}
